#include "web/StatusServer.h"

#include "monitor/Monitor.h"
#include "query/ServerJson.h"
#include "query/ServerQuery.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QTcpServer>
#include <QUrl>

namespace trevisk {

namespace {

// A token file is a line or two; anything larger is not one.
constexpr qint64 MaxTokenFileBytes = 4096;

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

void respond(QHttpServerResponder& responder,
             QHttpServerResponder::StatusCode status,
             const QByteArray& contentType,
             const QByteArray& body,
             const QList<std::pair<QByteArray, QByteArray>>& extraHeaders = {})
{
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", contentType);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    for (const auto& [name, value] : extraHeaders)
        responder.writeHeader(name, value);
    responder.writeBody(body);
}

} // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error)
{
    const auto fail = [&](const QString& why) -> std::optional<ListenAddress> {
        if (error)
            *error = QStringLiteral("--listen %1: %2").arg(text, why);
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
        return fail(QStringLiteral("expected PORT or ADDRESS:PORT, with a port from 0 to 65535"));
    where.port = static_cast<quint16>(number);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host == QLatin1String("localhost"))
        return where;
    // Only a written address: a name could resolve to more than the user meant to serve.
    if (!where.address.setAddress(host))
        return fail(QStringLiteral("\"%1\" is not an IP address").arg(host));
    return where;
}

std::optional<QByteArray> readTokenFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read the token file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray token = file.read(MaxTokenFileBytes).split('\n').first().trimmed();
    if (token.isEmpty()) {
        if (error)
            *error = QStringLiteral("The token file %1 holds no token on its first line").arg(path);
        return std::nullopt;
    }
    return token;
}

StatusServer::StatusServer(Monitor& monitor, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor)
{
    // No routes: every request comes here, so that the method and token are checked in one place.
    m_http.setMissingHandler([this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        handle(request, std::move(responder));
    });
    StatusModel& status = m_monitor.status();
    connect(&status, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        noteAnswers(from.row(), to.row());
    });
    connect(&status, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int from, int to) {
        noteAnswers(from, to);
    });
    connect(
        &status, &QAbstractItemModel::modelReset, this, [this] { noteAnswers(0, m_monitor.status().rowCount() - 1); });
    noteAnswers(0, status.rowCount() - 1);
}

bool StatusServer::listen(const ListenAddress& where, QString* error)
{
    m_port = m_http.listen(where.address, where.port);
    if (m_port == 0 && error) {
        *error = QStringLiteral("Cannot listen on %1 port %2").arg(where.address.toString()).arg(where.port);
    }
    return m_port != 0;
}

QHostAddress StatusServer::boundAddress() const
{
    const QList<QTcpServer*> servers = m_http.servers();
    return servers.isEmpty() ? QHostAddress() : servers.first()->serverAddress();
}

void StatusServer::noteAnswers(int first, int last)
{
    const std::vector<StatusRow>& rows = m_monitor.status().rows();
    for (int i = std::max(first, 0); i <= last && i < static_cast<int>(rows.size()); ++i) {
        if (rows[static_cast<size_t>(i)].answered())
            m_lastAnswer.insert(rows[static_cast<size_t>(i)].address, rows[static_cast<size_t>(i)].ar);
    }
}

StatusSnapshot StatusServer::snapshot() const
{
    StatusSnapshot snapshot;
    snapshot.counters = m_monitor.engine().counters();
    for (const StatusRow& row : m_monitor.status().rows()) {
        ServerSnapshot server;
        server.row = row;
        server.state = row.state;
        server.lastAnswer = m_lastAnswer.value(row.address);
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

bool StatusServer::authorised(const QHttpServerRequest& request) const
{
    if (m_token.isEmpty())
        return true;
    const QByteArray header = request.value("Authorization");
    static const QByteArray scheme = "Bearer ";
    if (!header.startsWith(scheme))
        return false;
    return sameBytes(header.mid(scheme.size()).trimmed(), m_token);
}

void StatusServer::handle(const QHttpServerRequest& request, QHttpServerResponder&& responder)
{
    using Status = QHttpServerResponder::StatusCode;
    const QByteArray text = "text/plain; charset=utf-8";
    if (!authorised(request)) {
        respond(responder, Status::Unauthorized, text, "A bearer token is needed.\n", {{"WWW-Authenticate", "Bearer"}});
        return;
    }
    const QString path = request.url().path();
    const bool known =
        path == QLatin1String("/") || path == QLatin1String("/metrics") || path == QLatin1String("/api/servers");
    if (!known) {
        respond(responder, Status::NotFound, text, "Not found.\n");
        return;
    }
    // Nothing here changes anything.
    if (request.method() != QHttpServerRequest::Method::Get) {
        respond(responder, Status::MethodNotAllowed, text, "Only GET is served.\n", {{"Allow", "GET"}});
        return;
    }
    const StatusSnapshot now = snapshot();
    if (path == QLatin1String("/metrics")) {
        respond(responder, Status::Ok, MetricsContentType, metricsText(now));
    } else if (path == QLatin1String("/api/servers")) {
        respond(responder, Status::Ok, "application/json", QJsonDocument(serversJson(now)).toJson());
    } else {
        respond(responder,
                Status::Ok,
                "text/html; charset=utf-8",
                statusPage(now, PageRefreshSeconds),
                {{"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"}});
    }
}

} // namespace trevisk
