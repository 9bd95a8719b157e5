#include "notify/SmtpMailer.h"

#include "core/Clock.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QUuid>

#include <algorithm>

namespace trevisk {

namespace {

std::optional<quint16> parsePort(const QString& text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return static_cast<quint16>(port);
}

bool isHostText(const QString& host)
{
    return !host.isEmpty() && std::none_of(host.cbegin(), host.cend(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('/') || c == QLatin1Char('@');
    });
}

// The first word of each extension line after the greeting line of an EHLO reply.
bool offers(const QStringList& extensions, const QString& keyword)
{
    return std::any_of(extensions.cbegin(), extensions.cend(), [&](const QString& line) {
        return line.section(QLatin1Char(' '), 0, 0).compare(keyword, Qt::CaseInsensitive) == 0;
    });
}

QStringList authMechanisms(const QStringList& extensions)
{
    QStringList mechanisms;
    for (const QString& line : extensions) {
        const QString upper = line.toUpper();
        // Some servers still announce the draft form "AUTH=PLAIN LOGIN".
        if (upper.startsWith(QLatin1String("AUTH ")) || upper.startsWith(QLatin1String("AUTH=")))
            mechanisms += upper.mid(5).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return mechanisms;
}

} // namespace

std::optional<SmtpSecurity> parseSmtpSecurity(const QString& text)
{
    const QString value = text.trimmed().toLower();
    if (value.isEmpty() || value == QLatin1String("none"))
        return SmtpSecurity::None;
    if (value == QLatin1String("starttls"))
        return SmtpSecurity::StartTls;
    if (value == QLatin1String("tls"))
        return SmtpSecurity::Tls;
    return std::nullopt;
}

std::optional<SmtpAddress> parseSmtpServer(const QString& text, quint16 defaultPort)
{
    const QString value = text.trimmed();
    SmtpAddress address{value, defaultPort};
    if (value.startsWith(QLatin1Char('['))) {
        const qsizetype close = value.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        address.host = value.mid(1, close - 1);
        const QString rest = value.mid(close + 1);
        if (!rest.isEmpty()) {
            const auto port = rest.startsWith(QLatin1Char(':')) ? parsePort(rest.mid(1)) : std::nullopt;
            if (!port)
                return std::nullopt;
            address.port = *port;
        }
        if (QHostAddress(address.host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
        return address;
    }
    const qsizetype colons = value.count(QLatin1Char(':'));
    if (colons > 1)
        return QHostAddress(value).protocol() == QAbstractSocket::IPv6Protocol ? std::optional(address) : std::nullopt;
    if (colons == 1) {
        const auto port = parsePort(value.section(QLatin1Char(':'), 1));
        if (!port)
            return std::nullopt;
        address.host = value.section(QLatin1Char(':'), 0, 0);
        address.port = *port;
    }
    if (!isHostText(address.host))
        return std::nullopt;
    return address;
}

SmtpMailer::SmtpMailer(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(ReplyTimeout);
    connect(&m_watchdog, &QTimer::timeout, this, &SmtpMailer::watchdogFired);
    connect(&m_socket, &QAbstractSocket::connected, this, &SmtpMailer::connected);
    connect(&m_socket, &QSslSocket::encrypted, this, &SmtpMailer::encrypted);
    connect(&m_socket, &QIODevice::readyRead, this, &SmtpMailer::readReplies);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &SmtpMailer::socketFailed);
    connect(&m_socket, &QAbstractSocket::disconnected, this, &SmtpMailer::disconnected);
    // Not ignoring them fails the handshake; keep the reasons for the error message.
    connect(&m_socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& sslError : errors)
            m_sslErrors << sslError.errorString();
    });
}

SmtpMailer::~SmtpMailer()
{
    m_step = Step::Idle;
    m_socket.disconnect(this);
    m_socket.abort();
}

void SmtpMailer::reset()
{
    m_step = Step::Idle;
    m_watchdog.stop();
    m_socket.abort();
    m_reader.clear();
    SmtpMessage kept;
    kept.fromName = m_message.fromName;
    kept.toName = m_message.toName;
    m_message = kept;
    // The credentials belong to the server they were set for.
    m_connection = {};
    m_aborted = false;
}

void SmtpMailer::send()
{
    if (m_message.from.isEmpty())
        return invalid(tr("'From' Address not specified!"));
    if (m_message.to.isEmpty())
        return invalid(tr("'To' Address not specified!"));
    if (m_connection.server.isEmpty())
        return invalid(tr("SMTP server address not specified!"));
    if (!isEnvelopeAddress(m_message.from))
        return invalid(tr("The 'From' address \"%1\" is not a mail address.").arg(printableText(m_message.from)));
    if (!isEnvelopeAddress(m_message.to))
        return invalid(tr("The 'To' address \"%1\" is not a mail address.").arg(printableText(m_message.to)));
    const auto security = parseSmtpSecurity(m_connection.security);
    if (!security) {
        return invalid(tr("The connection security \"%1\" is none of none, starttls and tls.")
                           .arg(printableText(m_connection.security)));
    }
    const auto address =
        parseSmtpServer(m_connection.server, *security == SmtpSecurity::Tls ? ImplicitTlsPort : SmtpPort);
    if (!address) {
        return invalid(tr("The SMTP server \"%1\" is not a host name with an optional port.")
                           .arg(printableText(m_connection.server)));
    }
    QList<QSslCertificate> authorities;
    if (*security != SmtpSecurity::None) {
        if (!QSslSocket::supportsSsl())
            return invalid(tr("TLS is not available on this system."));
        if (!m_connection.caFile.isEmpty()) {
            authorities = QSslCertificate::fromPath(m_connection.caFile, QSsl::Pem);
            if (authorities.isEmpty()) {
                return invalid(
                    tr("The certificate file \"%1\" cannot be read or holds no certificate.").arg(m_connection.caFile));
            }
        }
    }

    m_step = Step::Idle;
    m_socket.abort();
    m_reader.clear();
    m_aborted = false;
    m_tls = false;
    m_extensions.clear();
    m_sslErrors.clear();
    m_host = address->host;
    m_port = address->port;
    m_security = *security;
    QString domain = m_message.from.section(QLatin1Char('@'), 1);
    if (domain.isEmpty())
        domain = QStringLiteral("trevisk.invalid");
    m_data = messageData(
        m_message, m_clock.now(), QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') + domain);
    if (*security != SmtpSecurity::None) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(authorities);
        m_socket.setSslConfiguration(configuration);
    }

    m_step = Step::Connecting;
    m_watchdog.start();
    if (*security == SmtpSecurity::Tls)
        m_socket.connectToHostEncrypted(m_host, m_port);
    else
        m_socket.connectToHost(m_host, m_port);
}

void SmtpMailer::abort()
{
    m_aborted = true;
}

void SmtpMailer::connected()
{
    if (m_step != Step::Connecting)
        return;
    // With implicit TLS the greeting comes after the handshake.
    m_step = m_security == SmtpSecurity::Tls ? Step::Handshake : Step::Greeting;
    m_watchdog.start();
}

void SmtpMailer::encrypted()
{
    if (m_step != Step::Handshake)
        return;
    m_tls = true;
    if (m_security == SmtpSecurity::Tls) {
        m_step = Step::Greeting;
        m_watchdog.start();
        return;
    }
    // After STARTTLS everything learnt before is forgotten and the client greets again.
    m_extensions.clear();
    command("EHLO " + localName(), Step::Ehlo);
}

void SmtpMailer::readReplies()
{
    const QByteArray bytes = m_socket.readAll();
    if (m_step == Step::Idle)
        return;
    if (m_aborted) {
        m_step = Step::Idle;
        m_watchdog.stop();
        m_socket.abort();
        return;
    }
    m_reader.feed(bytes);
    while (m_step != Step::Idle) {
        const std::optional<SmtpReply> reply = m_reader.next();
        if (!reply) {
            if (!m_reader.error().isEmpty())
                fail(m_reader.error(), -1);
            return;
        }
        handleReply(*reply);
    }
}

void SmtpMailer::handleReply(const SmtpReply& reply)
{
    switch (m_step) {
    case Step::Greeting:
        if (reply.code != 220)
            return refused(tr("The SMTP server %1 refused the connection").arg(serverText()), reply);
        return command("EHLO " + localName(), Step::Ehlo);
    case Step::Ehlo:
        if (reply.code == 250)
            return afterHello(reply, true);
        // A server that does not know EHLO answers with a permanent error; it may still know HELO.
        if (reply.code >= 500)
            return command("HELO " + localName(), Step::Helo);
        return refused(tr("The server refused the greeting"), reply);
    case Step::Helo:
        if (reply.code != 250)
            return refused(tr("The server refused the greeting"), reply);
        return afterHello(reply, false);
    case Step::StartTls:
        if (reply.code != 220)
            return refused(tr("The server refused STARTTLS"), reply);
        // Anything sent before the handshake could have been slipped in by a third party.
        if (m_reader.hasPending())
            return fail(tr("The server sent more than its reply to STARTTLS."), -1);
        m_step = Step::Handshake;
        m_watchdog.start();
        m_socket.startClientEncryption();
        return;
    case Step::AuthLoginUser:
        if (reply.code != 334)
            return refused(tr("The server refused the login"), reply);
        return command(m_connection.user.toUtf8().toBase64(), Step::AuthLoginPassword);
    case Step::AuthLoginPassword:
        if (reply.code != 334)
            return refused(tr("The server refused the user name %1").arg(m_connection.user), reply);
        return command(m_connection.password.toUtf8().toBase64(), Step::AuthLoginDone);
    case Step::AuthPlain:
    case Step::AuthLoginDone:
        if (reply.code != 235)
            return refused(tr("The server refused the user name or password"), reply);
        return startMail();
    case Step::MailFrom:
        if (reply.code != 250)
            return refused(tr("The server refused the sender %1").arg(m_message.from), reply);
        return command("RCPT TO:<" + m_message.to.toUtf8() + '>', Step::RcptTo);
    case Step::RcptTo:
        if (reply.code != 250 && reply.code != 251)
            return refused(tr("The server refused the recipient %1").arg(m_message.to), reply);
        return command("DATA", Step::Data);
    case Step::Data:
        if (reply.code != 354)
            return refused(tr("The server refused the message"), reply);
        m_step = Step::Message;
        m_socket.write(m_data);
        m_watchdog.start();
        return;
    case Step::Message:
        if (reply.code != 250)
            return refused(tr("The server refused the message"), reply);
        return finish();
    case Step::Quit:
        m_step = Step::Idle;
        m_watchdog.stop();
        m_socket.disconnectFromHost();
        return;
    case Step::Idle:
    case Step::Connecting:
    case Step::Handshake:
        return fail(tr("The SMTP server %1 spoke out of turn: %2").arg(serverText(), reply.toString()), -1);
    }
}

void SmtpMailer::afterHello(const SmtpReply& reply, bool extended)
{
    m_extensions = extended ? reply.lines.mid(1) : QStringList();
    if (m_security == SmtpSecurity::StartTls && !m_tls) {
        if (!offers(m_extensions, QStringLiteral("STARTTLS")))
            return fail(tr("The SMTP server %1 does not offer STARTTLS.").arg(serverText()), -1);
        return command("STARTTLS", Step::StartTls);
    }
    if (!m_connection.user.isEmpty())
        return startLogin();
    startMail();
}

void SmtpMailer::startLogin()
{
    if (!m_tls && !m_socket.peerAddress().isLoopback()) {
        return fail(tr("The password would cross the network unencrypted; "
                       "set the connection security to starttls or tls."),
                    -1);
    }
    const QStringList mechanisms = authMechanisms(m_extensions);
    if (mechanisms.contains(QLatin1String("PLAIN"))) {
        const QByteArray credentials = '\0' + m_connection.user.toUtf8() + '\0' + m_connection.password.toUtf8();
        return command("AUTH PLAIN " + credentials.toBase64(), Step::AuthPlain);
    }
    if (mechanisms.contains(QLatin1String("LOGIN")))
        return command("AUTH LOGIN", Step::AuthLoginUser);
    if (mechanisms.isEmpty())
        return fail(tr("The SMTP server %1 does not offer a login.").arg(serverText()), -1);
    fail(tr("The SMTP server %1 offers no login this program knows (it offers %2).")
             .arg(serverText(), mechanisms.join(QLatin1Char(' '))),
         -1);
}

void SmtpMailer::startMail()
{
    QByteArray line = "MAIL FROM:<" + m_message.from.toUtf8() + '>';
    const bool eightBit = std::any_of(m_data.cbegin(), m_data.cend(), [](char c) { return (c & 0x80) != 0; });
    if (eightBit && offers(m_extensions, QStringLiteral("8BITMIME")))
        line += " BODY=8BITMIME";
    command(line, Step::MailFrom);
}

void SmtpMailer::command(const QByteArray& line, Step next)
{
    m_step = next;
    m_socket.write(line + "\r\n");
    m_watchdog.start();
}

void SmtpMailer::finish()
{
    // The mail is accepted now; QUIT is only manners, and its answer changes nothing.
    command("QUIT", Step::Quit);
    emit sendComplete();
}

void SmtpMailer::refused(const QString& what, const SmtpReply& reply)
{
    m_socket.write("QUIT\r\n");
    m_socket.disconnectFromHost();
    fail(what + QStringLiteral(": ") + reply.toString(), reply.code);
}

void SmtpMailer::invalid(const QString& description)
{
    // Checked before anything else happens: a dialogue still running goes on.
    emit error(description, -1);
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): a copy on purpose, since clearing the reader may end its text.
void SmtpMailer::fail(QString description, int number)
{
    const bool wasRunning = m_step != Step::Idle;
    m_step = Step::Idle;
    m_watchdog.stop();
    m_reader.clear();
    if (wasRunning && m_socket.state() != QAbstractSocket::ClosingState)
        m_socket.abort();
    emit error(description, number);
}

void SmtpMailer::socketFailed(QAbstractSocket::SocketError socketError)
{
    if (m_step == Step::Idle)
        return;
    if (m_step == Step::Quit) {
        m_step = Step::Idle;
        m_watchdog.stop();
        m_socket.abort();
        return;
    }
    if (!m_sslErrors.isEmpty()) {
        return fail(tr("The certificate of the SMTP server %1 is not trusted: %2")
                        .arg(serverText(), m_sslErrors.join(QStringLiteral("; "))),
                    socketError);
    }
    fail(serverText() + QStringLiteral(": ") + m_socket.errorString(), socketError);
}

void SmtpMailer::disconnected()
{
    if (m_step == Step::Idle)
        return;
    if (m_step == Step::Quit) {
        m_step = Step::Idle;
        m_watchdog.stop();
        return;
    }
    fail(tr("The SMTP server %1 closed the connection.").arg(serverText()), QAbstractSocket::RemoteHostClosedError);
}

void SmtpMailer::watchdogFired()
{
    if (m_step == Step::Idle)
        return;
    if (m_step == Step::Quit || m_aborted) {
        m_step = Step::Idle;
        m_socket.abort();
        return;
    }
    fail(tr("The SMTP server %1 did not answer within %2 seconds.")
             .arg(serverText(), QString::number(m_watchdog.interval() / 1000.0)),
         QAbstractSocket::SocketTimeoutError);
}

QString SmtpMailer::serverText() const
{
    return m_host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(m_host).arg(m_port)
                                             : QStringLiteral("%1:%2").arg(m_host).arg(m_port);
}

QByteArray SmtpMailer::localName() const
{
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?"
                                                            "(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*$"));
    const QString name = QHostInfo::localHostName();
    if (hostName.match(name).hasMatch())
        return name.toLatin1();
    // No usable name: greet with the address the connection leaves from.
    const QHostAddress local = m_socket.localAddress();
    bool isV4 = false;
    const quint32 v4 = local.toIPv4Address(&isV4);
    if (isV4)
        return '[' + QHostAddress(v4).toString().toLatin1() + ']';
    return "[IPv6:" + local.toString().toLatin1() + ']';
}

} // namespace trevisk
