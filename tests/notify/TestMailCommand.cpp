#include "notify/SmtpTestServer.h"
#include "support/TreviskRun.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

// `trevisk test-mail` as the user runs it, against a real SMTP server.
class TestMailCommand : public QObject
{
    Q_OBJECT

private slots:
    // Sent with the saved settings, or "Test Failed!" with the reason and a failing exit code.
    void sendsOrSaysWhyNot()
    {
        SmtpTestServer server({});
        QVERIFY(server.isReady());
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        store.setValue(QStringLiteral("EmailNotify/SMTP"), server.address());
        store.setValue(QStringLiteral("EmailNotify/From"), QStringLiteral("alerts@test.example"));
        // Exit code, standard output and standard error.
        const auto testMail = [&](const QString& recipient) {
            store.setValue(QStringLiteral("EmailNotify/Email"), recipient);
            store.sync();
            const TreviskRun run = runTrevisk(QStringList{QStringLiteral("test-mail")} + inFolder(dir));
            return std::make_tuple(run.code, QString::fromLocal8Bit(run.out), QString::fromLocal8Bit(run.err));
        };
        QCOMPARE(testMail(QStringLiteral("admin@test.example")),
                 std::make_tuple(0, QStringLiteral("Mail Sent!\n"), QString()));
        const QString data = server.texts(1).value(0);
        QVERIFY(data.startsWith(QLatin1String("FROM: Trevisk <alerts@test.example>\r\n")));
        QVERIFY(data.contains(QLatin1String("\r\nSUBJECT: Testing Trevisk Email Notification\r\n")));
        QVERIFY(data.endsWith(QLatin1String("\r\n\r\nThis is a test of the Trevisk email notification system\r\n"
                                            "\r\nThis is an automated message, do not reply!\r\n")));

        QCOMPARE(testMail(QString()),
                 std::make_tuple(1, QString(), QStringLiteral("Test Failed! 'To' Address not specified!\n")));
    }
};

QTEST_GUILESS_MAIN(TestMailCommand)
#include "TestMailCommand.moc"
