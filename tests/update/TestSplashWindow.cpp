#include "support/HttpTestServer.h"
#include "update/SplashWindow.h"
#include "update/UpgradePrompt.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
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
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.versionCheck().isRunning());
        QVERIFY(!done.wait(100)); // the clock does not fire twice
        QCOMPARE(done.size(), 1);
    }

    // An answer that comes while the splash shows does not end it; a double click does, once, and
    // the start-up reads the answer after done.
    void newerFoundWhileShown()
    {
        HttpTestServer server;
        server.parts = HttpTestServer::splitAnswer("<VERSION>1.1.1</VERSION>", 4, true);
        QVERIFY(server.listen());
        SplashWindow splash;
        splash.setShowTime(1h);
        QSignalSpy done(&splash, &SplashWindow::done);
        bool shownAtDone = true;
        connect(&splash, &SplashWindow::done, this, [&] { shownAtDone = splash.isVisible(); });
        QSignalSpy finished(&splash.versionCheck(), &VersionCheck::finished);
        splash.start(server.url());
        QVERIFY(splash.isVisible());
        QVERIFY(finished.wait(5000));
        QCOMPARE(done.size(), 0);
        QTest::mouseDClick(splash.findChild<QLabel*>(QStringLiteral("Label1")), Qt::LeftButton);
        QCOMPARE(done.size(), 1);
        QVERIFY(!shownAtDone); // gone before the main window and the upgrade question come
        QTest::mouseDClick(&splash, Qt::LeftButton);
        QCOMPARE(done.size(), 1);
        QCOMPARE(splash.versionCheck().versionFound(), QStringLiteral("1.1.1"));
        QVERIFY(splash.versionCheck().newerAvailable());
    }

    // The offer is a window of its own, styled as ever, that blocks no other window.
    void upgradeQuestion()
    {
        const QString address = QStringLiteral("http://127.0.0.1:8080/trevisk/");
        QList<QUrl> opened;
        const UrlOpener record = [&](const QUrl& url) {
            opened << url;
            return true;
        };

        UpgradePrompt prompt(address, record);
        prompt.offer(QStringLiteral("1.2.0"));
        QVERIFY(prompt.isVisible());
        QVERIFY(!prompt.isModal() && !QApplication::activeModalWidget());
        const auto* label = prompt.findChild<QLabel*>(QStringLiteral("lblText"));
        QCOMPARE(label->text(),
                 QStringLiteral("An updated version of Trevisk (1.2.0) is available at\n") + address
                     + QStringLiteral("\nWould you like to upgrade?"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QTest::mouseClick(prompt.findChild<QPushButton*>(QStringLiteral("cmdYes")), Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(address)});
        QVERIFY(!prompt.isVisible());
        prompt.offer(QStringLiteral("1.2.0"));
        QTest::mouseClick(prompt.findChild<QPushButton*>(QStringLiteral("cmdNo")), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(!prompt.isVisible());

        UpgradePrompt noAddress(QString(), record); // nothing to open
        noAddress.offer(QStringLiteral("1.2.0"));
        QTest::mouseClick(noAddress.findChild<QPushButton*>(QStringLiteral("cmdYes")), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(!noAddress.isVisible());
    }
};

QTEST_MAIN(TestSplashWindow)
#include "TestSplashWindow.moc"
