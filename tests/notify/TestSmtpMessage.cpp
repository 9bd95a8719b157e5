#include "notify/SmtpMailer.h"
#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"

#include <QLocale>
#include <QTest>

using namespace trevisk;

// The mail's bytes and the reading of replies, without sockets.
class TestSmtpMessage : public QObject
{
    Q_OBJECT

private slots:
    void dateHeader_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("east") << QDateTime(QDate(2026, 12, 6), QTime(12, 0, 5), Qt::OffsetFromUTC, 3600)
                              << QByteArray("Sun, 06 Dec 2026 12:00:05 +0100");
        QTest::newRow("west") << QDateTime(QDate(2003, 12, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, -5 * 3600)
                              << QByteArray("Fri, 05 Dec 2003 14:07:09 -0500");
        QTest::newRow("half hour") << QDateTime(QDate(2024, 2, 29), QTime(23, 59), Qt::OffsetFromUTC, 19800)
                                   << QByteArray("Thu, 29 Feb 2024 23:59:00 +0530");
    }
    void dateHeader()
    {
        QFETCH(QDateTime, when);
        QFETCH(QByteArray, expected);
        // English names whatever the user's language.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(rfc5322Date(when), expected);
        QLocale::setDefault(QLocale::c());
    }

    void body_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("lone dot") << QStringLiteral("a\r\n.\r\nb") << QByteArray("a\r\n..\r\nb\r\n");
        QTest::newRow("leading dots") << QStringLiteral(".x\r\n..y\r\na.b") << QByteArray("..x\r\n...y\r\na.b\r\n");
        QTest::newRow("bare LF and CR") << QStringLiteral("one\ntwo\r.three\n\nx")
                                        << QByteArray("one\r\ntwo\r\n..three\r\n\r\nx\r\n");
        QTest::newRow("ends with break") << QStringLiteral("one\r\n") << QByteArray("one\r\n");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void body()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, body);
        QCOMPARE(bodyData(text), body);
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

    void serverField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host") << QStringLiteral("mail.example.org") << QStringLiteral("mail.example.org") << 25;
        QTest::newRow("with port") << QStringLiteral(" mail.example.org:587 ") << QStringLiteral("mail.example.org")
                                   << 587;
        QTest::newRow("IPv6") << QStringLiteral("[::1]:2525") << QStringLiteral("::1") << 2525;
        QTest::newRow("port 0") << QStringLiteral("mail:0") << QString() << 0;
        QTest::newRow("no host") << QStringLiteral(":25") << QString() << 0;
        QTest::newRow("line break") << QStringLiteral("mail\r\nx") << QString() << 0;
    }
    void serverField()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        const auto parsed = parseSmtpServer(text, 25);
        QCOMPARE(parsed.has_value(), !host.isEmpty());
        if (parsed)
            QCOMPARE(*parsed, (SmtpAddress{host, static_cast<quint16>(port)}));
    }

    // However the bytes are split, a multi-line reply comes out once, whole, after its last line.
    void replySplitAnywhere()
    {
        const QByteArray bytes = "220-smtp.test ESMTP\r\n220-more\r\n220 ready\r\n250\n";
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            SmtpReplyReader reader;
            QList<SmtpReply> replies;
            for (const QByteArray& piece : {bytes.left(cut), bytes.mid(cut)}) {
                reader.feed(piece);
                while (auto reply = reader.next())
                    replies << *reply;
            }
            QCOMPARE(replies.size(), 2);
            QCOMPARE(replies.at(0).toString(), QStringLiteral("220 smtp.test ESMTP more ready"));
            QCOMPARE(replies.at(1).code, 250);
        }
    }

    void replyNotSmtp()
    {
        SmtpReplyReader reader;
        reader.feed("550 5.1.1 \x1b[31mno\x07 user\r\nHTTP/1.1 400 Bad Request\r\n");
        QCOMPARE(reader.next()->toString(), QStringLiteral("550 5.1.1 [31mno user"));
        QVERIFY(!reader.next());
        QVERIFY(reader.error().contains(QLatin1String("HTTP/1.1")));
        SmtpReplyReader endless;
        endless.feed(QByteArray(SmtpReplyReader::MaxReplyBytes + 1, 'x'));
        QVERIFY(!endless.next() && !endless.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSmtpMessage)
#include "TestSmtpMessage.moc"
