#pragma once

#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"

#include <QObject>
#include <QSslSocket>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <optional>

namespace trevisk {

class Clock;

// Where and how to reach the relay.
struct SmtpConnection
{
    QString server;   // "host" or "host:port"
    QString security; // "none", "starttls" or "tls"; empty means none
    QString user;     // empty: no authentication
    QString password;
    QString caFile; // a file of extra certificate authorities to trust
};

enum class SmtpSecurity
{
    None,
    StartTls, // plain connection, upgraded before anything else is said
    Tls       // TLS from the first byte
};

// "none" (or empty), "starttls" or "tls", in any case; nothing for any other text.
std::optional<SmtpSecurity> parseSmtpSecurity(const QString& text);

struct SmtpAddress
{
    QString host;
    quint16 port = 0;
    bool operator==(const SmtpAddress&) const = default;
};

// "host", "host:port", "[v6 address]:port" or a bare IPv6 address; nothing when it is none of them.
std::optional<SmtpAddress> parseSmtpServer(const QString& text, quint16 defaultPort);

// Sends one plain-text mail through an SMTP relay, driven by the server's replies. Set the
// message and connection after reset(), call send(), and listen to sendComplete() and error().
// Without a port the relay is reached on 25, or on 465 with implicit TLS.
class SmtpMailer : public QObject
{
    Q_OBJECT

public:
    // How long the server may keep us waiting for any one reply (the connection included).
    static constexpr std::chrono::milliseconds ReplyTimeout{5000};
    static constexpr quint16 SmtpPort = 25;
    static constexpr quint16 ImplicitTlsPort = 465;

    explicit SmtpMailer(const Clock& clock, QObject* parent = nullptr);
    ~SmtpMailer() override;

    const SmtpMessage& message() const { return m_message; }
    void setMessage(const SmtpMessage& message) { m_message = message; }
    const SmtpConnection& connection() const { return m_connection; }
    void setConnection(const SmtpConnection& connection) { m_connection = connection; }

    // Drops any connection and empties the message, the server and its credentials;
    // the two display names stay.
    void reset();
    // Checks the properties and starts the dialogue; the outcome arrives as a signal.
    // A failed check is reported at once, before send() returns.
    void send();
    // Abandons the dialogue at the next reply, without any signal.
    void abort();

    // True while a dialogue runs; the closing QUIT after an accepted mail does not count.
    bool isBusy() const { return m_step != Step::Idle && m_step != Step::Quit; }
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_watchdog.setInterval(timeout); }

signals:
    // The server has accepted the mail.
    void sendComplete();
    // number: the reply code for a refusal, the socket's error for a failed connection, else -1
    // (a missing or unusable property, a server that does not speak SMTP).
    void error(const QString& description, int number);

private:
    enum class Step
    {
        Idle,
        Connecting,
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        Handshake,
        AuthPlain,
        AuthLoginUser,
        AuthLoginPassword,
        AuthLoginDone,
        MailFrom,
        RcptTo,
        Data,
        Message,
        Quit
    };

    void connected();
    void encrypted();
    void readReplies();
    void socketFailed(QAbstractSocket::SocketError socketError);
    void disconnected();
    void watchdogFired();
    // Each takes the reply to the current step and sends the next command.
    void handleReply(const SmtpReply& reply);
    void afterHello(const SmtpReply& reply, bool extended);
    void startLogin();
    void startMail();
    void command(const QByteArray& line, Step next);
    // Takes the description by value: it may be the reader's own error text, which fail() clears.
    void fail(QString description, int number);
    void invalid(const QString& description);
    void refused(const QString& what, const SmtpReply& reply);
    void finish();
    QString serverText() const;
    QByteArray localName() const;

    const Clock& m_clock;
    SmtpMessage m_message;
    SmtpConnection m_connection;
    QSslSocket m_socket{this};
    QTimer m_watchdog{this};
    SmtpReplyReader m_reader;
    Step m_step = Step::Idle;
    bool m_aborted = false;
    bool m_tls = false;
    QString m_host;
    quint16 m_port = SmtpPort;
    SmtpSecurity m_security = SmtpSecurity::None;
    QStringList m_extensions;
    QStringList m_sslErrors;
    QByteArray m_data;
};

} // namespace trevisk
