#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"
#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

// The mail's bytes, the reading of replies and the stored mail settings, without sockets.
class TestSmtpMessage : public QObject
{
    Q_OBJECT

private slots:
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
        const struct
        {
            const char* text;
            const char* host; // empty: refused
            quint16 port;
        } cases[] = {
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
        ManualClock clock;
        SmtpMailer mailer(clock);
        EmailSettings::load(*openSettings(ini)).prepareTestMail(mailer);
        QCOMPARE(mailer.connection().server + mailer.connection().password, QStringLiteral("mail.example.orgs3cret"));
    }
};

QTEST_GUILESS_MAIN(TestSmtpMessage)
#include "TestSmtpMessage.moc"
