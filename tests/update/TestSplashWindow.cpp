#include "HttpTestServer.h"
#include "support/ScriptedPrompter.h"
#include "update/SplashWindow.h"
#include "update/UpgradePrompt.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

class TestSplashWindow : public QObject
{
    Q_OBJECT
private slots:
    void showsVersionAndCheck()
    {
        SplashWindow splash;
        splash.setShowTime(1h);
        splash.start(QUrl());
        QVERIFY(splash.isVisible());
        QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("lblVer"))->text(), QStringLiteral("V 1.1.0"));
    }

    // The time is up while the server has not answered: done once, the request dropped, and
    // the answer that comes later is never looked at.
    void endsOnTimeWhileRequestHangs()
    {
        HttpTestServer server; // accepts and stays silent
        QVERIFY(server.listen());
        SplashWindow splash;
        splash.setShowTime(30ms);
        QSignalSpy done(&splash, &SplashWindow::done);
        splash.start(server.url());
        QVERIFY(done.wait(5000));
        QCOMPARE(done.size(), 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.versionCheck().isRunning());
        QVERIFY(!splash.versionCheck().newerAvailable());
        QVERIFY(!done.wait(100)); // the clock does not fire twice
        QCOMPARE(done.size(), 1);
    }

    void endsAtDoubleClick()
    {
        SplashWindow splash;
        splash.setShowTime(1h);
        QSignalSpy done(&splash, &SplashWindow::done);
        bool shownAtDone = true;
        connect(&splash, &SplashWindow::done, this, [&] { shownAtDone = splash.isVisible(); });
        splash.start(QUrl());
        QTest::mouseDClick(splash.findChild<QLabel*>(QStringLiteral("Label1")), Qt::LeftButton);
        QCOMPARE(done.size(), 1);
        QVERIFY(!shownAtDone); // gone before the main window and the upgrade question come
        QTest::mouseDClick(&splash, Qt::LeftButton);
        QCOMPARE(done.size(), 1);
    }

    // An answer that comes while the splash shows is what the start-up reads after done.
    void newerFoundWhileShown()
    {
        HttpTestServer server;
        const QByteArray body = "<VERSION>1.1.1</VERSION>";
        server.parts = HttpTestServer::splitAnswer(body, 4, true);
        QVERIFY(server.listen());
        SplashWindow splash;
        splash.setShowTime(1h);
        QSignalSpy done(&splash, &SplashWindow::done);
        QSignalSpy finished(&splash.versionCheck(), &VersionCheck::finished);
        splash.start(server.url());
        QVERIFY(finished.wait(5000));
        QCOMPARE(done.size(), 0); // the answer does not end the splash
        QTest::mouseDClick(&splash, Qt::LeftButton);
        QCOMPARE(done.size(), 1);
        QVERIFY(splash.versionCheck().newerAvailable());
        QCOMPARE(splash.versionCheck().versionFound(), QStringLiteral("1.1.1"));
    }

    void upgradeQuestion()
    {
        const QString address = QStringLiteral("http://127.0.0.1:8080/trevisk/");
        const QString text = QStringLiteral("An updated version of Trevisk (1.2.0) is available at\n") + address
                             + QStringLiteral("\nWould you like to upgrade?");
        QList<QUrl> opened;
        const UrlOpener record = [&](const QUrl& url) {
            opened << url;
            return true;
        };

        ScriptedPrompter prompter;
        prompter.choices = {0, 1, 0};
        QVERIFY(offerUpgrade(prompter, QStringLiteral("1.2.0"), address, record));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Trevisk Upgrade|") + text});
        QCOMPARE(opened, QList<QUrl>{QUrl(address)});

        QVERIFY(!offerUpgrade(prompter, QStringLiteral("1.2.0"), address, record)); // "&No"
        QCOMPARE(opened.size(), 1);

        QVERIFY(offerUpgrade(prompter, QStringLiteral("1.2.0"), QString(), record)); // no address to open
        QCOMPARE(opened.size(), 1);
        QVERIFY(prompter.choices.isEmpty());
    }
};

QTEST_MAIN(TestSplashWindow)
#include "TestSplashWindow.moc"
