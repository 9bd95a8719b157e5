#include "notify/SmtpMailer.h"
#include "notify/SmtpTestServer.h"
#include "support/ManualClock.h"

#include <QHostInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

// Arguments of the test server, split at each space.
QStringList words(const char* line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

// The mailer against a real SMTP server (aiosmtpd) and fake ones that misbehave.
class TestSmtpMailer : public QObject
{
    Q_OBJECT

private:
    struct Outcome
    {
        int completions = 0;
        QStringList errors;
        QList<int> numbers;
    };

    QTemporaryDir m_certificates;
    ManualClock m_clock{QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::OffsetFromUTC, 3600)};

    static void prepare(SmtpMailer& mailer, const SmtpConnection& connection)
    {
        mailer.reset();
        mailer.setMessage({QStringLiteral("trevisk@test.example"),
                           QStringLiteral("Trevisk"),
                           QStringLiteral("ops@test.example"),
                           QString(),
                           QStringLiteral("ALERT: Server: Q3 down"),
                           QStringLiteral("Server: Q3\r\n.\r\n.x\r\n..\nbare\nfeed\r\n\r\nDo not reply!")});
        mailer.setConnection(connection);
    }
    static SmtpConnection plain(quint16 port) { return {QStringLiteral("127.0.0.1:%1").arg(port), {}, {}, {}, {}}; }

    // Sends and waits for the outcome; a sound mailer raises exactly one signal.
    static Outcome run(SmtpMailer& mailer)
    {
        QSignalSpy done(&mailer, &SmtpMailer::sendComplete);
        QSignalSpy failed(&mailer, &SmtpMailer::error);
        mailer.send();
        if (!QTest::qWaitFor([&] { return !done.isEmpty() || !failed.isEmpty(); }, 8000))
            return {}; // neither: the comparisons fail
        Outcome outcome{static_cast<int>(done.size()), {}, {}};
        for (const QList<QVariant>& call : failed) {
            outcome.errors << call.at(0).toString();
            outcome.numbers << call.at(1).toInt();
        }
        return outcome;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_certificates.isValid());
        QVERIFY2(QSslSocket::supportsSsl(), "Qt's TLS backend needs OpenSSL 3 (libssl3)");
    }

    void checkedFirst_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("security");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing set") << QString() << QString() << QString()
                                     << QStringLiteral("'From' Address not specified!");
        QTest::newRow("no server") << QStringLiteral("c@d") << QString() << QString()
                                   << QStringLiteral("SMTP server address not specified!");
        QTest::newRow("smuggled command")
            << QStringLiteral("c@d>\r\nRCPT TO:<e@f") << QStringLiteral("mail") << QString()
            << QStringLiteral("The 'To' address \"c@d>RCPT TO:<e@f\" is not a mail address.");
        QTest::newRow("unknown security")
            << QStringLiteral("c@d") << QStringLiteral("mail") << QStringLiteral("ssl")
            << QStringLiteral("The connection security \"ssl\" is none of none, starttls and tls.");
    }
    // Missing or unusable properties fail before send() returns, with one message; a reset keeps
    // the display names only, so no password outlives its server.
    void checkedFirst()
    {
        QFETCH(QString, to);
        QFETCH(QString, server);
        QFETCH(QString, security);
        QFETCH(QString, message);
        SmtpMailer mailer(m_clock);
        mailer.setMessage({QStringLiteral("x@y"), {}, QStringLiteral("x@y"), QStringLiteral("Ops"), {}, {}});
        mailer.setConnection({QStringLiteral("host"), {}, QStringLiteral("user"), QStringLiteral("pw"), {}});
        mailer.reset();
        QVERIFY(mailer.message().from.isEmpty() && mailer.connection().password.isEmpty());
        QCOMPARE(mailer.message().toName, QStringLiteral("Ops"));
        if (!to.isEmpty())
            mailer.setMessage({QStringLiteral("a@b"), QStringLiteral("Trevisk"), to, {}, {}, {}});
        mailer.setConnection({server, security, {}, {}, {}});
        QSignalSpy failed(&mailer, &SmtpMailer::error);
        mailer.send();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), message);
        QVERIFY(!mailer.isBusy());
    }

    void outcomes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("security");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("error"); // empty: sent
        QTest::addColumn<QString>("mechanism");
        QTest::addColumn<int>("code"); // 0: not checked
        const auto row =
            [](const char* n, const char* a, const char* s, bool t, const char* e, const char* m = "", int c = 0) {
                QTest::newRow(n) << words(a) << QString::fromLatin1(s) << t << QString::fromLatin1(e)
                                 << QString::fromLatin1(m) << c;
            };
        row("EHLO", "", "", false, "");
        row("old server, HELO", "--no-ehlo", "", false, "");
        row("STARTTLS, PLAIN", "--starttls --auth alerts:s3cret:pw", "starttls", true, "", "PLAIN");
        row("STARTTLS, LOGIN", "--starttls --auth alerts:s3cret:pw --no-plain", "starttls", true, "", "LOGIN");
        row("TLS", "--tls", "TLS", true, "");
        const char* rcpt = "The server refused the recipient ops@test.example: 550 5.1.1 <ops@test.example>: "
                           "Recipient address rejected";
        row("recipient refused", "--reject-rcpt ops@test.example", "", false, rcpt, "", 550);
        const char* data = "The server refused the message: 554 5.7.1 Message rejected as spam";
        row("message refused", "--reject-data", "", false, data, "", 554);
        // An untrusted certificate names the reason, not just "handshake failed".
        row("untrusted", "--starttls", "starttls", false, "is not trusted: ");
        row("no STARTTLS", "", "starttls", true, "does not offer STARTTLS");
        const char* login = "The server refused the user name or password: 535";
        row("wrong password", "--starttls --auth alerts:right", "starttls", true, login);
    }
    // What arrives: the envelope in angle brackets, a greeting with our name, the headers, and a
    // body whose dotted lines and bare line feeds survive the trip; encryption trusted through the
    // extra authority file, and both logins. A refusal or a failed security step is an error in
    // the server's words or with its reason, never "sent".
    void outcomes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, security);
        QFETCH(bool, trusted);
        QFETCH(QString, error);
        QFETCH(QString, mechanism);
        QFETCH(int, code);
        SmtpTestServer server(QStringList{QStringLiteral("--cert-dir"), m_certificates.path()} + arguments);
        QVERIFY(server.isReady());
        SmtpMailer mailer(m_clock);
        const QString user = arguments.contains(QLatin1String("--auth")) ? QStringLiteral("alerts") : QString();
        const QString ca = trusted ? m_certificates.filePath(QStringLiteral("ca.pem")) : QString();
        prepare(mailer, {server.address(), security, user, QStringLiteral("s3cret:pw"), ca});
        const Outcome outcome = run(mailer);
        if (error.isEmpty()) {
            QCOMPARE(outcome.errors, QStringList());
            QCOMPARE(outcome.completions, 1);
            const auto received = server.nextMessage();
            QVERIFY(received);
            QCOMPARE(received->value(QLatin1String("tls")).toBool(), !security.isEmpty());
            QCOMPARE(received->value(QLatin1String("login")).toString(), user);
            QCOMPARE(received->value(QLatin1String("mechanism")).toString(), mechanism);
            QCOMPARE(received->value(QLatin1String("extended")).toBool(),
                     !arguments.contains(QLatin1String("--no-ehlo")));
            QCOMPARE(received->value(QLatin1String("hello")).toString(), QHostInfo::localHostName());
            QCOMPARE(received->value(QLatin1String("mail_from")).toString(), QStringLiteral("trevisk@test.example"));
            QCOMPARE(received->value(QLatin1String("rcpt_tos")).toVariant().toStringList(),
                     QStringList{QStringLiteral("ops@test.example")});
            QString data = SmtpTestServer::data(*received);
            const QRegularExpression messageId(QStringLiteral("Message-ID: <[0-9a-f-]{36}@test\\.example>\r\n"));
            QVERIFY2(data.contains(messageId), qPrintable(data));
            QCOMPARE(data.remove(messageId),
                     QStringLiteral("FROM: Trevisk <trevisk@test.example>\r\n"
                                    "TO:  <ops@test.example>\r\n"
                                    "Date: Sun, 06 Dec 2026 12:00:00 +0100\r\n"
                                    "SUBJECT: ALERT: Server: Q3 down\r\n"
                                    "MIME-Version: 1.0\r\n"
                                    "Content-Type: text/plain; charset=UTF-8\r\n"
                                    "Content-Transfer-Encoding: 7bit\r\n"
                                    "\r\n"
                                    "Server: Q3\r\n.\r\n.x\r\n..\r\nbare\r\nfeed\r\n\r\nDo not reply!\r\n"));
            return;
        }
        QCOMPARE(outcome.completions, 0);
        QCOMPARE(outcome.errors.size(), 1);
        QVERIFY2(outcome.errors.at(0).contains(error), qPrintable(outcome.errors.at(0)));
        if (code)
            QCOMPARE(outcome.numbers, QList<int>{code});
        if (error.startsWith(QLatin1String("is not trusted")))
            QVERIFY(outcome.errors.at(0).section(error, 1).contains(QLatin1String("certificate"), Qt::CaseInsensitive));
    }

    // A server that accepts and never answers: the watchdog closes the connection and says why.
    void silentServer()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        SmtpMailer mailer(m_clock);
        mailer.setReplyTimeout(std::chrono::milliseconds(30));
        prepare(mailer, plain(silent.serverPort()));
        QCOMPARE(run(mailer).errors,
                 QStringList{QStringLiteral("The SMTP server 127.0.0.1:%1 did not answer within 0.03 seconds.")
                                 .arg(silent.serverPort())});
        QTcpSocket* accepted = silent.nextPendingConnection();
        QVERIFY(accepted);
        QTRY_VERIFY(accepted->read(1).isEmpty() && accepted->state() != QAbstractSocket::ConnectedState);
    }

    void hostilePeers_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("afterEhlo");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2 MB greeting") << QByteArray(2 * 1024 * 1024, 'x') << QByteArray()
                                       << QStringLiteral("The server sent a reply line that never ends.");
        QTest::newRow("endless 250-") << QByteArray("220 ready\r\n") << QByteArray("250-more\r\n").repeated(8000)
                                      << QStringLiteral("The server sent a reply that never ends.");
        QTest::newRow("not SMTP") << QByteArray("HTTP/1.1 400 Bad Request\r\n") << QByteArray()
                                  << QStringLiteral("The server sent something that is not an SMTP reply: "
                                                    "HTTP/1.1 400 Bad Request");
    }
    // Every failure carries its reason, also the ones the reply reader finds.
    void hostilePeers()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, afterEhlo);
        QFETCH(QString, expected);
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
        connect(&fake, &QTcpServer::newConnection, &fake, [&] {
            QTcpSocket* peer = fake.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, peer, [peer, afterEhlo] {
                if (peer->readAll().startsWith("EHLO"))
                    peer->write(afterEhlo);
            });
            peer->write(greeting);
        });
        SmtpMailer mailer(m_clock);
        prepare(mailer, plain(fake.serverPort()));
        QCOMPARE(run(mailer).errors, QStringList{expected});
    }

    // ABORT: the next reply ends the dialogue with no event; the next send is a new dialogue.
    void abortAtNextReply()
    {
        SmtpTestServer server({});
        QVERIFY(server.isReady());
        SmtpMailer mailer(m_clock);
        prepare(mailer, {server.address(), {}, {}, {}, {}});
        QSignalSpy done(&mailer, &SmtpMailer::sendComplete);
        QSignalSpy failed(&mailer, &SmtpMailer::error);
        mailer.send();
        mailer.abort();
        QTRY_VERIFY(!mailer.isBusy());
        QCOMPARE(done.size() + failed.size(), 0);
        QCOMPARE(run(mailer).completions, 1);
        QVERIFY(server.nextMessage());
    }
};

QTEST_GUILESS_MAIN(TestSmtpMailer)
#include "TestSmtpMailer.moc"
