#include "support/HttpTestServer.h"
#include "update/SplashWindow.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

class TestSplashWindow : public QObject
{
    Q_OBJECT
private slots:
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
        QVERIFY(splash.isVisible());
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
};

QTEST_MAIN(TestSplashWindow)
#include "TestSplashWindow.moc"
