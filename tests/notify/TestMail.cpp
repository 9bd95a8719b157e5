#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"
#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"
#include "notify/SmtpTestServer.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QHostInfo>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

// The mail: its bytes, the reading of replies and the stored settings without sockets, then the
// dialogue against a real SMTP server (aiosmtpd) and fake ones that misbehave.
class TestMail : public QObject
{
    Q_OBJECT

private:
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

    // Sends and waits: "sent", or each error with its number; a sound mailer raises exactly one signal.
    static QStringList run(SmtpMailer& mailer)
    {
        QObject scope;
        QStringList events;
        connect(&mailer, &SmtpMailer::sendComplete, &scope, [&] { events << QStringLiteral("sent"); });
        connect(&mailer, &SmtpMailer::error, &scope, [&](const QString& text, int number) {
            events << QStringLiteral("%1 (%2)").arg(text).arg(number);
        });
        mailer.send();
        const bool ended = QTest::qWaitFor([&] { return !events.isEmpty(); }, 8000);
        return ended ? events : QStringList{QStringLiteral("no outcome within 8 seconds")};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_certificates.isValid());
        QVERIFY2(QSslSocket::supportsSsl(), "Qt's TLS backend needs OpenSSL 3 (libssl3)");
    }

    // Missing or unusable properties fail before send() returns, with one message; a reset keeps
    // the display names only, so no password outlives its server.
    void checkedFirst()
    {
        SmtpMailer mailer(m_clock);
        mailer.setMessage({QStringLiteral("x@y"), {}, QStringLiteral("x@y"), QStringLiteral("Ops"), {}, {}});
        mailer.setConnection({QStringLiteral("host"), {}, QStringLiteral("user"), QStringLiteral("pw"), {}});
        mailer.reset();
        QVERIFY(mailer.message().from.isEmpty() && mailer.connection().password.isEmpty());
        QCOMPARE(mailer.message().toName, QStringLiteral("Ops"));
        const char* const cases[][4] = {
            // To, server, security, the error; in this order, as each row sets what the one before lacked.
            {"", "", "", "'From' Address not specified!"},
            {"c@d", "", "", "SMTP server address not specified!"},
            {"c@d>\r\nRCPT TO:<e@f", "mail", "", "The 'To' address \"c@d>RCPT TO:<e@f\" is not a mail address."},
            {"c@d", "mail", "ssl", "The connection security \"ssl\" is none of none, starttls and tls."},
        };
        for (const auto& [to, server, security, message] : cases) {
            if (*to)
                mailer.setMessage({QStringLiteral("a@b"), {}, QString::fromLatin1(to), {}, {}, {}});
            mailer.setConnection({QString::fromLatin1(server), QString::fromLatin1(security), {}, {}, {}});
            QSignalSpy failed(&mailer, &SmtpMailer::error);
            mailer.send();
            QCOMPARE(QList<QVariantList>(failed), (QList<QVariantList>{{QString::fromLatin1(message), -1}}));
            QVERIFY(!mailer.isBusy());
        }
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("security");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("error"); // empty: sent
        const auto row =
            [](const char* name, const char* arguments, const char* security, bool trusted, const char* error = "") {
                QTest::newRow(name) << QString::fromLatin1(arguments) << QString::fromLatin1(security) << trusted
                                    << QString::fromLatin1(error);
            };
        row("EHLO", "", "", false);
        row("old server, HELO", "--no-ehlo", "", false);
        row("STARTTLS, PLAIN", "--starttls --auth alerts:s3cret:pw", "starttls", true);
        row("STARTTLS, LOGIN", "--starttls --auth alerts:s3cret:pw --no-plain", "starttls", true);
        row("TLS", "--tls", "TLS", true);
        const char* rcpt = "The server refused the recipient ops@test.example: 550 5.1.1 <ops@test.example>: "
                           "Recipient address rejected";
        row("recipient refused", "--reject-rcpt ops@test.example", "", false, rcpt);
        row("message refused", "--reject-data", "", false, "The server refused the message: 554 5.7.1 Message");
        // An untrusted certificate names the reason, not just "handshake failed".
        row("untrusted", "--starttls", "starttls", false, "is not trusted: ");
        row("no STARTTLS", "", "starttls", true, "does not offer STARTTLS");
        const char* login = "The server refused the user name or password: 535";
        row("wrong password", "--starttls --auth alerts:right", "starttls", true, login);
    }
    // What arrives: the envelope in angle brackets, a greeting with our name, the headers, and a
    // body whose dotted lines and bare line feeds survive the trip; encryption trusted through the
    // extra authority file, and both logins. A refusal or a failed security step is an error in
    // the server's words or with its reason, and the server's number, never "sent".
    void outcomes()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, security);
        QFETCH(bool, trusted);
        QFETCH(QString, error);
        SmtpTestServer server(QStringList{QStringLiteral("--cert-dir"), m_certificates.path()}
                              + arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QVERIFY(server.isReady());
        SmtpMailer mailer(m_clock);
        const QString user = arguments.contains(QLatin1String("--auth")) ? QStringLiteral("alerts") : QString();
        const QString ca = trusted ? m_certificates.filePath(QStringLiteral("ca.pem")) : QString();
        prepare(mailer, {server.address(), security, user, QStringLiteral("s3cret:pw"), ca});
        const QStringList outcome = run(mailer);
        if (error.isEmpty()) {
            QCOMPARE(outcome, QStringList{QStringLiteral("sent")});
            const QJsonObject received = server.nextMessage().value_or(QJsonObject());
            const auto field = [&](const char* key) { return received.value(QLatin1String(key)).toVariant(); };
            QCOMPARE(field("tls").toBool(), !security.isEmpty());
            QCOMPARE(field("extended").toBool(), !arguments.contains(QLatin1String("--no-ehlo")));
            const bool login = arguments.contains(QLatin1String("--no-plain"));
            QCOMPARE(field("login").toString() + field("mechanism").toString(),
                     user.isEmpty() ? QString() : user + (login ? QLatin1String("LOGIN") : QLatin1String("PLAIN")));
            QCOMPARE(field("hello").toString(), QHostInfo::localHostName());
            QCOMPARE(field("mail_from").toString() + field("rcpt_tos").toStringList().join(QLatin1Char(',')),
                     QStringLiteral("trevisk@test.exampleops@test.example"));
            QString data = SmtpTestServer::data(received);
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
        QCOMPARE(outcome.size(), 1);
        QVERIFY2(outcome.at(0).contains(error), qPrintable(outcome.at(0)));
        // The number the error quotes, where it quotes one.
        if (const int code = error.section(QLatin1String(": "), 1).left(3).toInt())
            QVERIFY2(outcome.at(0).endsWith(QStringLiteral(" (%1)").arg(code)), qPrintable(outcome.at(0)));
        if (error.startsWith(QLatin1String("is not trusted")))
            QVERIFY(outcome.at(0).section(error, 1).contains(QLatin1String("certificate"), Qt::CaseInsensitive));
    }

    // Every failure carries its reason and number (the socket's error, or none), also the ones
    // the reply reader finds, and closes the connection.
    void hostilePeers()
    {
        const std::tuple<QByteArray, QByteArray, QString> peers[] = {
            // Greeting, answer to EHLO, the error.
            {{}, {}, QStringLiteral("The SMTP server %1 did not answer within 0.03 seconds. (5)")},
            {QByteArray(2 * 1024 * 1024, 'x'),
             {},
             QStringLiteral("The server sent a reply line that never ends. (-1)")},
            {"220 ready\r\n",
             QByteArray("250-more\r\n").repeated(8000),
             QStringLiteral("The server sent a reply that never ends. (-1)")},
            {"HTTP/1.1 400 Bad Request\r\n",
             {},
             QStringLiteral("The server sent something that is not an SMTP reply: HTTP/1.1 400 Bad Request (-1)")},
        };
        for (const auto& row : peers) {
            // Named copies: clang 14 does not capture structured bindings.
            const QByteArray greeting = std::get<0>(row), afterEhlo = std::get<1>(row);
            const QString expected = std::get<2>(row);
            QTcpServer fake;
            QVERIFY(fake.listen(QHostAddress::LocalHost, 0));
            QPointer<QTcpSocket> peer;
            connect(&fake, &QTcpServer::newConnection, &fake, [&] {
                peer = fake.nextPendingConnection();
                connect(peer, &QTcpSocket::readyRead, peer, [peer, &afterEhlo] {
                    if (peer->readAll().startsWith("EHLO"))
                        peer->write(afterEhlo);
                });
                peer->write(greeting);
            });
            SmtpMailer mailer(m_clock);
            if (greeting.isEmpty()) // a server that accepts and never answers: the watchdog says why
                mailer.setReplyTimeout(std::chrono::milliseconds(30));
            const QString address = QStringLiteral("127.0.0.1:%1").arg(fake.serverPort());
            prepare(mailer, {address, {}, {}, {}, {}});
            QCOMPARE(run(mailer), QStringList{QString(expected).replace(QLatin1String("%1"), address)});
            QTRY_VERIFY(peer && peer->state() != QAbstractSocket::ConnectedState);
        }
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
        QCOMPARE(run(mailer), QStringList{QStringLiteral("sent")});
        QVERIFY(server.nextMessage());
    }

    // English names whatever the user's language; offsets west and by the half hour.
    void dateHeader()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(rfc5322Date(QDateTime(QDate(2003, 12, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, -5 * 3600)),
                 QByteArray("Fri, 05 Dec 2003 14:07:09 -0500"));
        QCOMPARE(rfc5322Date(QDateTime(QDate(2024, 2, 29), QTime(23, 59), Qt::OffsetFromUTC, 19800)),
                 QByteArray("Thu, 29 Feb 2024 23:59:00 +0530"));
        QLocale::setDefault(QLocale::c());
    }

    // Every line break goes out as CR LF, leading dots are doubled, and the body ends with one break.
    void body()
    {
        QCOMPARE(bodyData(QStringLiteral("one\ntwo\r.three\n\nx")), QByteArray("one\r\ntwo\r\n..three\r\n\r\nx\r\n"));
        QCOMPARE(bodyData(QStringLiteral("one\r\n")), QByteArray("one\r\n"));
        QCOMPARE(bodyData(QString()), QByteArray());
    }

    // Server names come from the game server; they must not add or end header lines.
    void headerInjection()
    {
        SmtpMessage message{QStringLiteral("a@b"),
                            QStringLiteral("Trevisk\r\nBcc: victim@example.org"),
                            QStringLiteral("c@d"),
                            QString(),
                            QStringLiteral("Server: evil\n\nbody\r.\r\nQUIT\x01\x1b[2J down"),
                            QStringLiteral("x")};
        const QByteArray data = messageData(message, QDateTime::currentDateTimeUtc(), QStringLiteral("id@b"));
        const QByteArray headers = data.left(data.indexOf("\r\n\r\n") + 2);
        QVERIFY(headers.count("\r\n") == 8 && headers.count('\r') == 8 && headers.count('\n') == 8);
        QVERIFY(!headers.contains('\x1b') && !headers.contains('\x01'));
        QVERIFY(headers.startsWith("FROM: \"Trevisk Bcc: victim@example.org\" <a@b>\r\n"));
        QVERIFY(headers.contains("\r\nSUBJECT: Server: evil body . QUIT[2J down\r\n"));
    }

    // Non-ASCII text travels as folded UTF-8 encoded words that decode back to the text.
    void nonAsciiSubject()
    {
        SmtpMessage message;
        message.subject = QStringLiteral("ALERT: Server: ") + QString(40, QChar(0x00e9)) + QStringLiteral("😀 down");
        const QByteArray data = messageData(message, QDateTime::currentDateTimeUtc(), QStringLiteral("id@b"));
        const qsizetype start = data.indexOf("SUBJECT: ") + 9;
        QByteArray decoded;
        for (const QByteArray& word : data.mid(start, data.indexOf("\r\nMessage-ID") - start).split(' ')) {
            const QByteArray trimmed = word.trimmed();
            QVERIFY(trimmed.startsWith("=?UTF-8?B?") && trimmed.endsWith("?=") && trimmed.size() <= 75);
            decoded += QByteArray::fromBase64(trimmed.mid(10, trimmed.size() - 12));
        }
        QCOMPARE(QString::fromUtf8(decoded), message.subject);
    }

    // A host and an optional port, IPv6 in brackets; anything else is refused.
    void serverField()
    {
        const std::tuple<const char*, const char*, quint16> cases[] = {
            // The text, and the host (none: refused) and port read from it.
            {"mail.example.org", "mail.example.org", 25},
            {" mail.example.org:587 ", "mail.example.org", 587},
            {"[::1]:2525", "::1", 2525},
            {"mail:0", "", 0},
            {":25", "", 0},
            {"mail\r\nx", "", 0},
        };
        for (const auto& [text, host, port] : cases) {
            const auto expected = *host ? std::optional(SmtpAddress{QString::fromLatin1(host), port}) : std::nullopt;
            QVERIFY2(parseSmtpServer(QString::fromLatin1(text), 25) == expected, text);
        }
    }

    // However the bytes are split, a multi-line reply comes out once, whole, after its last line,
    // without the server's control characters.
    void replySplitAnywhere()
    {
        const QByteArray bytes = "220-smtp.test \x1b[31mESMTP\x07\r\n220-more\r\n220 ready\r\n250\n";
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            SmtpReplyReader reader;
            QList<SmtpReply> replies;
            for (const QByteArray& piece : {bytes.left(cut), bytes.mid(cut)}) {
                reader.feed(piece);
                while (auto reply = reader.next())
                    replies << *reply;
            }
            QCOMPARE(replies.size(), 2);
            QCOMPARE(replies.at(0).toString(), QStringLiteral("220 smtp.test [31mESMTP more ready"));
            QCOMPARE(replies.at(1).code, 250);
        }
    }

    // A blank sender would fail every mail: it means the default, which is stored blank so that it
    // follows the host name. A store that holds a password is its owner's alone, and stays so when
    // others rewrite it; the test mail goes out over the saved connection, password and all.
    void emailSettings()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("trevisk.ini"));
        QSettings(ini, QSettings::IniFormat).setValue(QStringLiteral("EmailNotify/From"), QStringLiteral(" "));
        EmailSettings settings = EmailSettings::load(*openSettings(ini));
        QCOMPARE(settings.from, EmailSettings::defaultFrom());
        settings.smtp = QStringLiteral("mail.example.org");
        settings.user = QStringLiteral("alerts");
        settings.password = QStringLiteral("s3cret");
        QCOMPARE(settings.save(*openSettings(ini)), QString());
        QVERIFY(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("EmailNotify/From")).toString().isEmpty());
        const auto others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(ini) & others, QFileDevice::Permissions());
        AppSettings::defaults(dir.path()).save(*openSettings(ini));
        QCOMPARE(QFile::permissions(ini) & others, QFileDevice::Permissions());
        SmtpMailer mailer(m_clock);
        EmailSettings::load(*openSettings(ini)).prepareTestMail(mailer);
        QCOMPARE(mailer.connection().server + mailer.connection().password, QStringLiteral("mail.example.orgs3cret"));
    }
};

QTEST_GUILESS_MAIN(TestMail)
#include "TestMail.moc"
