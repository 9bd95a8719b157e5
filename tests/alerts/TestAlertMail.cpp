#include "alerts/AlertMail.h"
#include "notify/SmtpTestServer.h"
#include "status/StatusRow.h"
#include "support/ManualClock.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace trevisk;

namespace {

EmailSettings settingsFor(const QString& smtp)
{
    EmailSettings settings;
    settings.enabled = true;
    settings.email = QStringLiteral("ops@example.org");
    settings.smtp = smtp;
    settings.from = QStringLiteral("trevisk@example.org");
    return settings;
}

StatusRow downRow(int number, const QString& name = QStringLiteral("Lab"))
{
    StatusRow row;
    row.address = QStringLiteral("127.0.0.1:%1").arg(number);
    row.game = QStringLiteral("Quake 3");
    row.name = name;
    row.timeOutCount = 3;
    row.state = ServerState::NoAnswer;
    return row;
}

} // namespace

class TestAlertMail : public QObject
{
    Q_OBJECT
private slots:
    // The subject and text: the default one, with the refused note, the address for a server that
    // never answered, a custom text, and a blank custom text that is not used.
    void texts()
    {
        SmtpTestServer smtp({});
        QVERIFY(smtp.isReady());
        ManualClock clock;
        AlertMail mail(clock);
        mail.setSettings(settingsFor(smtp.address()));
        QSignalSpy sent(&mail, &AlertMail::sent);
        StatusRow refused = downRow(1);
        refused.state = ServerState::Refused;
        mail.send(downRow(2), QString());
        mail.send(refused, QStringLiteral("  \t "));
        mail.send(downRow(3, QString()), QStringLiteral("custom"));
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 3, 10000);
        const QStringList datas = smtp.texts(3);
        QCOMPARE(datas.filter(QStringLiteral("\r\nTO:  <ops@example.org>\r\n")).size(), 3);
        const QString address = QStringLiteral("127.0.0.1:%1");
        QVERIFY(datas.filter(QStringLiteral("SUBJECT: ALERT: Server: Lab has timed out!")).size() == 1);
        QVERIFY(datas.join(QString()).contains(
            QStringLiteral("Server: Lab\r\nAddress: ") + address.arg(2)
            + QStringLiteral("\r\nGame: Quake 3\r\nTimeOuts: 3\r\nState: no answer\r\n\r\n")
            + QStringLiteral("This is an automated message, do not reply!")));
        const QStringList refusedMail = datas.filter(QStringLiteral("has timed out (refused)!"));
        QCOMPARE(refusedMail.size(), 1);
        QVERIFY(refusedMail[0].contains(QStringLiteral("TimeOuts: 3\r\nState: refused (nothing listens at its port)")));
        const QStringList custom = datas.filter(QStringLiteral("SUBJECT: ALERT: Server: ") + address.arg(3));
        QCOMPARE(custom.size(), 1);
        QVERIFY(custom[0].contains(QStringLiteral("custom")) && !custom[0].contains(QStringLiteral("TimeOuts")));
        QVERIFY(!mail.isSending(address.arg(1)));
    }

    // Many servers down at once: every alert is delivered, two connections at a time. A relay that
    // refuses the recipient reports the failure and frees the server for the next try.
    void queueAndFailures()
    {
        SmtpTestServer smtp({});
        ManualClock clock;
        AlertMail mail(clock);
        mail.setSettings(settingsFor(smtp.address()));
        QSignalSpy sent(&mail, &AlertMail::sent);
        for (int i = 1; i <= 5; ++i)
            mail.send(downRow(i), QString());
        QCOMPARE(mail.waiting(), 5 - AlertMail::MaxParallelMails);
        QVERIFY(mail.isSending(downRow(5).address));
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 5, 10000);
        QSet<QString> addresses;
        for (const QString& data : smtp.texts(5))
            addresses.insert(data.section(QStringLiteral("Address: "), 1, 1).left(12));
        QCOMPARE(addresses.size(), 5);

        SmtpTestServer refusing({QStringLiteral("--reject-rcpt"), QStringLiteral("ops@example.org")});
        mail.setSettings(settingsFor(refusing.address()));
        QSignalSpy failed(&mail, &AlertMail::failed);
        mail.send(downRow(1), QString());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
        QCOMPARE(failed.first().first().toString(), downRow(1).address);
        QVERIFY(!mail.isSending(downRow(1).address));
    }

    // A relay that takes the connection and never answers keeps two mails running; the ones behind
    // them can be dropped.
    void cancelDropsWaitingMail()
    {
        QTcpServer relay;
        QVERIFY(relay.listen(QHostAddress::LocalHost));
        ManualClock clock;
        AlertMail mail(clock);
        mail.setSettings(settingsFor(QStringLiteral("127.0.0.1:%1").arg(relay.serverPort())));
        for (int i = 1; i <= 3; ++i)
            mail.send(downRow(i), QString());
        QCOMPARE(mail.waiting(), 1);
        mail.cancel(downRow(3).address);
        QCOMPARE(mail.waiting(), 0);
        QVERIFY(!mail.isSending(downRow(3).address));
        QVERIFY(mail.isSending(downRow(1).address));
    }
};

QTEST_GUILESS_MAIN(TestAlertMail)
#include "TestAlertMail.moc"
