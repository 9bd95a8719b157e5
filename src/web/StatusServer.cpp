#include "web/StatusServer.h"

#include "core/Routines.h"
#include "core/Translations.h"
#include "monitor/Monitor.h"
#include "query/ServerJson.h"
#include "query/ServerQuery.h"

#include <QFile>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <sys/resource.h>
#include <sys/socket.h>

namespace trevisk {

namespace {

// A token file is a line or two; anything larger is not one.
constexpr qint64 MaxTokenFileBytes = 4096;
// Enough for Prometheus, a dashboard and a few browsers.
constexpr int MostConnections = 64;

// Takes as long for a wrong token of any content as for the right one, so that timing tells
// nothing of how much of a guess was right.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    const qsizetype length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0U : 1U;
    for (qsizetype i = 0; i < length; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a.at(i) : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b.at(i) : 0);
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

// The reason phrases of the answers this server gives.
QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 505:
        return "HTTP Version Not Supported";
    }
    return "Error";
}

// A token of the request line or a header name: visible characters other than separators.
bool isToken(const QByteArray& text)
{
    static const QByteArray separators = "\"(),/:;<=>?@[\\]{}";
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c <= ' ' || c >= 127 || separators.contains(c))
            return false;
    }
    return true;
}

// Where the blank line that ends a request's headers ends; -1 before it has come.
qsizetype headEnd(const QByteArray& buffer)
{
    for (qsizetype line = buffer.indexOf('\n'); line >= 0; line = buffer.indexOf('\n', line + 1)) {
        if (line + 1 < buffer.size() && buffer.at(line + 1) == '\n')
            return line + 2;
        if (line + 2 < buffer.size() && buffer.at(line + 1) == '\r' && buffer.at(line + 2) == '\n')
            return line + 3;
    }
    return -1;
}

} // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error)
{
    const auto fail = [&](const QString& why) -> std::optional<ListenAddress> {
        if (error)
            *error =
                Translations::text("StatusServer", QT_TRANSLATE_NOOP("StatusServer", "--listen %1: %2")).arg(text, why);
        return std::nullopt;
    };
    ListenAddress where;
    QString host;
    QString port = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535)
        return fail(Translations::text(
            "StatusServer",
            QT_TRANSLATE_NOOP("StatusServer", "expected PORT or ADDRESS:PORT, with a port from 0 to 65535")));
    where.port = static_cast<quint16>(number);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host == QLatin1String("localhost"))
        return where;
    // Only a written address: a name could resolve to more than the user meant to serve.
    if (!where.address.setAddress(host))
        return fail(Translations::text("StatusServer", QT_TRANSLATE_NOOP("StatusServer", "\"%1\" is not an IP address"))
                        .arg(host));
    return where;
}

std::optional<QByteArray> readTokenFile(const QString& path, QString* error, QString* warning)
{
    const auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // Opening a pipe would wait for a writer, and a device could give without end.
    if (const QString refusal = notRegularFile(path); !refusal.isEmpty())
        return fail(
            Translations::text("StatusServer", QT_TRANSLATE_NOOP("StatusServer", "Cannot read the token file: %1"))
                .arg(refusal));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(
            Translations::text("StatusServer", QT_TRANSLATE_NOOP("StatusServer", "Cannot read the token file %1: %2"))
                .arg(path, file.errorString()));
    const QByteArray token = file.read(MaxTokenFileBytes).split('\n').first().trimmed();
    if (token.isEmpty())
        return fail(
            Translations::text("StatusServer",
                               QT_TRANSLATE_NOOP("StatusServer", "The token file %1 holds no token on its first line"))
                .arg(path));
    if (warning)
        *warning = openSecretWarning(path);
    return token;
}

QString exposureWarning(const QHostAddress& bound, bool hasToken)
{
    if (hasToken || bound.isLoopback())
        return {};
    return Translations::text("StatusServer",
                              QT_TRANSLATE_NOOP("StatusServer",
                                                "Warning: the status on %1 can be read from other machines, by "
                                                "anyone: give it a token with --listen-token FILE, or listen on "
                                                "127.0.0.1"))
        .arg(bound.toString());
}

int defaultConnectionCap()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MostConnections;
    // A quarter of the descriptors at most, whatever the limit: the rest stay for the rest.
    return static_cast<int>(std::clamp<rlim_t>(limit.rlim_cur / 4, 1, MostConnections));
}

// One client's connection: what has come of its request, and its deadline.
class StatusServer::Connection : public QObject
{
public:
    enum class Phase
    {
        Idle,    // between requests
        Head,    // a request's line and headers are coming
        Closing, // answered for the last time; what still comes is dropped
        Gone,
    };

    Connection(QObject* parent, QTcpSocket* socket)
        : QObject(parent)
        , socket(socket)
    {
        socket->setParent(this);
        // Qt's own buffer would take whatever comes; the request is read from a small one.
        socket->setReadBufferSize(qint64{16} * 1024);
        deadline.setSingleShot(true);
    }

    // The write side is closed once the answer is out: the client sees its end while what it
    // still sends is read and dropped, rather than answered with a reset that could lose the answer.
    void shutDownWhenSent()
    {
        if (shutDown || socket->bytesToWrite() > 0 || socket->state() != QAbstractSocket::ConnectedState)
            return;
        shutDown = true;
        ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
    }

    QTcpSocket* socket;
    QTimer deadline;
    QByteArray buffer;
    Phase phase = Phase::Head; // a new connection has its request's time to send it
    bool shutDown = false;
};

StatusServer::StatusServer(Monitor& monitor, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor)
{
    // One accepted at a time, so that no descriptor is taken beyond the cap.
    m_listener.setMaxPendingConnections(1);
    connect(&m_listener, &QTcpServer::newConnection, this, &StatusServer::acceptWaiting);
    // Out of descriptors: Qt stops accepting; it is tried again later, not in a loop.
    m_acceptRetry.setSingleShot(true);
    connect(&m_listener, &QTcpServer::acceptError, this, [this] {
        m_listener.pauseAccepting();
        m_acceptRetry.start(m_limits.acceptRetryTime);
    });
    connect(&m_acceptRetry, &QTimer::timeout, this, &StatusServer::acceptWaiting);
}

bool StatusServer::listen(const ListenAddress& where, QString* error)
{
    if (!m_listener.listen(where.address, where.port)) {
        if (error)
            *error =
                Translations::text("StatusServer", QT_TRANSLATE_NOOP("StatusServer", "Cannot listen on %1 port %2"))
                    .arg(where.address.toString())
                    .arg(where.port);
        return false;
    }
    m_port = m_listener.serverPort();
    return true;
}

QHostAddress StatusServer::boundAddress() const
{
    return m_listener.isListening() ? m_listener.serverAddress() : QHostAddress();
}

StatusSnapshot StatusServer::snapshot() const
{
    StatusSnapshot snapshot;
    snapshot.counters = m_monitor.engine().counters();
    snapshot.labels = m_labels;
    for (const StatusRow& row : m_monitor.status().rows()) {
        ServerSnapshot server;
        server.row = row;
        server.state = row.state;
        server.lastAnswer = row.lastAnswer;
        server.uptime = m_monitor.uptime(row.address);
        if (const ServerQuery* query = m_monitor.queryFor(row.address))
            server.result = queryResultOf(*query, server.state == ServerState::Up);
        // The list's own spelling, whatever the query object made of it.
        server.result.game = row.game;
        server.result.address = row.address;
        snapshot.servers.push_back(std::move(server));
    }
    return snapshot;
}

struct StatusServer::Request
{
    QByteArray method;
    QByteArray target;
    QByteArray version;
    QList<std::pair<QByteArray, QByteArray>> headers; // names in lower case

    QByteArray header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers) {
            if (key == name)
                return value;
        }
        return {};
    }
    bool has(const QByteArray& name) const
    {
        return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return h.first == name; });
    }
    // Whether a comma-separated header holds a word, in any case.
    bool lists(const QByteArray& name, const QByteArray& word) const
    {
        for (const auto& [key, value] : headers) {
            if (key != name)
                continue;
            for (const QByteArray& item : value.split(',')) {
                if (item.trimmed().compare(word, Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
        return false;
    }
};

bool StatusServer::authorised(const Request& request) const
{
    if (m_token.isEmpty())
        return true;
    // "Bearer", in any case, a space and the token.
    const QByteArray header = request.header("authorization");
    const qsizetype space = header.indexOf(' ');
    if (space < 0 || header.left(space).compare("Bearer", Qt::CaseInsensitive) != 0)
        return false;
    return sameBytes(header.mid(space + 1).trimmed(), m_token);
}

void StatusServer::acceptWaiting()
{
    // Only taken below the cap: past it the kernel holds the rest in its queue, and nothing here
    // wakes until a connection ends.
    while (m_open < m_limits.connections && m_listener.hasPendingConnections()) {
        QTcpSocket* socket = m_listener.nextPendingConnection();
        if (!socket)
            break;
        ++m_open;
        auto* connection = new Connection(this, socket);
        connect(socket, &QIODevice::readyRead, connection, [this, connection] { readFrom(*connection); });
        connect(socket, &QIODevice::bytesWritten, connection, [connection] {
            if (connection->phase == Connection::Phase::Closing)
                connection->shutDownWhenSent();
        });
        connect(socket, &QAbstractSocket::disconnected, connection, [this, connection] { drop(*connection); });
        connect(
            &connection->deadline, &QTimer::timeout, connection, [this, connection] { deadlinePassed(*connection); });
        connection->deadline.start(m_limits.headTime);
        if (socket->bytesAvailable() > 0)
            readFrom(*connection);
    }
    if (!m_listener.isListening())
        return;
    if (m_open >= m_limits.connections)
        m_listener.pauseAccepting();
    else if (!m_acceptRetry.isActive())
        m_listener.resumeAccepting();
}

void StatusServer::readFrom(Connection& connection)
{
    QTcpSocket& socket = *connection.socket;
    if (connection.phase == Connection::Phase::Closing || connection.phase == Connection::Phase::Gone) {
        while (socket.bytesAvailable() > 0)
            socket.skip(socket.bytesAvailable());
        return;
    }
    for (;;) {
        const qsizetype room = m_limits.headBytes - connection.buffer.size();
        if (room > 0)
            connection.buffer += socket.read(room);
        // Blank lines before a request are allowed and mean nothing.
        qsizetype blank = 0;
        while (blank < connection.buffer.size()
               && (connection.buffer.at(blank) == '\r' || connection.buffer.at(blank) == '\n'))
            ++blank;
        connection.buffer.remove(0, blank);
        if (connection.buffer.isEmpty()) {
            if (socket.bytesAvailable() > 0)
                continue;
            return;
        }
        if (connection.phase == Connection::Phase::Idle) {
            connection.phase = Connection::Phase::Head;
            connection.deadline.start(m_limits.headTime);
        }
        const qsizetype end = headEnd(connection.buffer);
        if (end < 0) {
            if (connection.buffer.size() >= m_limits.headBytes) {
                if (connection.buffer.contains('\n'))
                    refuse(connection, 431, "The request's headers are too large.\n");
                else
                    refuse(connection, 414, "The request line is too long.\n");
            }
            return;
        }
        const QByteArray head = connection.buffer.left(end);
        connection.buffer.remove(0, end);
        answer(connection, head);
        if (connection.phase != Connection::Phase::Head)
            return;
        connection.phase = Connection::Phase::Idle;
        connection.deadline.start(m_limits.idleTime);
    }
}

void StatusServer::answer(Connection& connection, const QByteArray& head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    Request request;
    const QList<QByteArray> parts = lines.value(0).split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[1].isEmpty() || !parts[2].startsWith("HTTP/")) {
        refuse(connection, 400, "The request line is not HTTP.\n");
        return;
    }
    request.method = parts[0];
    request.target = parts[1];
    request.version = parts[2];
    if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0") {
        refuse(connection, 505, "Only HTTP/1.1 and HTTP/1.0 are served.\n");
        return;
    }
    if (lines.size() - 1 > m_limits.headerCount) {
        refuse(connection, 431, "The request has too many headers.\n");
        return;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        // A continued (folded) header or one without a name is not HTTP of today.
        if (colon < 0 || !isToken(line.left(colon))) {
            refuse(connection, 400, "A header of the request is not HTTP.\n");
            return;
        }
        request.headers.append({line.left(colon).toLower(), line.mid(colon + 1).trimmed()});
    }
    // A body would be read only to be thrown away: it is refused before any of it is read.
    for (const auto& [name, value] : request.headers) {
        if (name == "transfer-encoding") {
            refuse(connection, 413, "A request here has no body.\n");
            return;
        }
        if (name == "content-length") {
            bool number = !value.isEmpty();
            for (const char c : value)
                number = number && c >= '0' && c <= '9';
            if (!number) {
                refuse(connection, 400, "The request's Content-Length is not a number.\n");
                return;
            }
            if (value.count('0') != value.size()) {
                refuse(connection, 413, "A request here has no body.\n");
                return;
            }
        }
    }
    if (request.has("upgrade")) {
        refuse(connection, 400, "No other protocol (WebSocket or another) is served here.\n");
        return;
    }
    route(connection, request);
    const bool keep = request.version == "HTTP/1.1" ? !request.lists("connection", "close")
                                                    : request.lists("connection", "keep-alive");
    if (!keep && connection.phase == Connection::Phase::Head)
        close(connection);
}

void StatusServer::route(Connection& connection, const Request& request)
{
    const QByteArray text = "text/plain; charset=utf-8";
    // A HEAD is refused as any other method, but its answer has no body.
    const bool withBody = request.method != "HEAD";
    if (!authorised(request)) {
        send(connection, 401, text, "A bearer token is needed.\n", {{"WWW-Authenticate", "Bearer"}}, withBody);
        return;
    }
    const QString path = request.target.startsWith('/') ? QUrl::fromEncoded("http://localhost" + request.target).path()
                                                        : QUrl::fromEncoded(request.target).path();
    const bool known =
        path == QLatin1String("/") || path == QLatin1String("/metrics") || path == QLatin1String("/api/servers");
    if (!known) {
        send(connection, 404, text, "Not found.\n", {}, withBody);
        return;
    }
    // Nothing here changes anything.
    if (request.method != "GET") {
        send(connection, 405, text, "Only GET is served.\n", {{"Allow", "GET"}}, withBody);
        return;
    }
    const StatusSnapshot now = snapshot();
    if (path == QLatin1String("/metrics")) {
        send(connection, 200, MetricsContentType, metricsText(now), {}, true);
    } else if (path == QLatin1String("/api/servers")) {
        send(connection, 200, "application/json", QJsonDocument(serversJson(now)).toJson(), {}, true);
    } else {
        send(connection,
             200,
             "text/html; charset=utf-8",
             statusPage(now, PageRefreshSeconds),
             {{"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"}},
             true);
    }
}

void StatusServer::send(Connection& connection,
                        int status,
                        const QByteArray& contentType,
                        const QByteArray& body,
                        const QList<std::pair<QByteArray, QByteArray>>& extraHeaders,
                        bool withBody)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    for (const auto& [name, value] : extraHeaders)
        out += name + ": " + value + "\r\n";
    out += "\r\n";
    if (withBody)
        out += body;
    connection.socket->write(out);
}

void StatusServer::refuse(Connection& connection, int status, const QByteArray& why)
{
    send(connection, status, "text/plain; charset=utf-8", why, {{"Connection", "close"}}, true);
    close(connection);
}

void StatusServer::close(Connection& connection)
{
    connection.phase = Connection::Phase::Closing;
    connection.buffer.clear();
    connection.deadline.start(m_limits.lingerTime);
    connection.shutDownWhenSent();
    readFrom(connection);
}

void StatusServer::deadlinePassed(Connection& connection)
{
    switch (connection.phase) {
    case Connection::Phase::Head:
        // Nothing heard since the connection came: no request to answer.
        if (connection.buffer.isEmpty())
            connection.socket->abort();
        else
            refuse(connection, 408, "The request took too long to come.\n");
        return;
    case Connection::Phase::Idle:
        connection.socket->disconnectFromHost();
        return;
    case Connection::Phase::Closing:
    case Connection::Phase::Gone:
        connection.socket->abort();
        return;
    }
}

void StatusServer::drop(Connection& connection)
{
    if (connection.phase == Connection::Phase::Gone)
        return;
    connection.phase = Connection::Phase::Gone;
    connection.deadline.stop();
    connection.deleteLater();
    --m_open;
    acceptWaiting();
}

} // namespace trevisk
