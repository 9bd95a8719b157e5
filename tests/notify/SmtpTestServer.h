#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <optional>

namespace trevisk {

// The real SMTP server of smtp_server.py on 127.0.0.1 for one test. It prints one JSON line per
// message it accepts; nextMessage() waits for one while the event loop runs.
class SmtpTestServer
{
public:
    explicit SmtpTestServer(const QStringList& arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's aiosmtpd is importable by the system interpreter only.
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(TREVISK_SMTP_SERVER)} + arguments);
        // "READY <port>"; anything else leaves the port 0.
        m_port = static_cast<quint16>(nextLine(10000).value_or(QByteArray()).mid(6).toUInt());
    }
    ~SmtpTestServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }

    bool isReady() const { return m_port != 0; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    std::optional<QJsonObject> nextMessage(int timeoutMs = 3000)
    {
        const std::optional<QByteArray> line = nextLine(timeoutMs);
        return line ? std::optional(QJsonDocument::fromJson(*line).object()) : std::nullopt;
    }
    // The texts of the next `count` messages; fewer when they do not come.
    QStringList texts(int count)
    {
        QStringList texts;
        std::optional<QJsonObject> message;
        while (texts.size() < count && (message = nextMessage()))
            texts << data(*message);
        return texts;
    }
    // The message as the server received it, after the dot-stuffing was undone.
    static QString data(const QJsonObject& message)
    {
        return QString::fromUtf8(QByteArray::fromBase64(message.value(QLatin1String("data")).toString().toLatin1()));
    }

private:
    // The mailer under test may run in this thread: its event loop runs meanwhile.
    std::optional<QByteArray> nextLine(int timeoutMs)
    {
        if (!QTest::qWaitFor([this] { return m_process.canReadLine(); }, timeoutMs))
            return std::nullopt;
        return m_process.readLine().chopped(1);
    }

    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace trevisk
