#include "support/HttpTestServer.h"
#include "update/SplashWindow.h"
#include "update/UpdateSettings.h"
#include "update/UpgradePrompt.h"
#include "update/VersionCheck.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

// The version check, the splash that waits for it and the upgrade question it leads to.
class TestUpdate : public QObject
{
    Q_OBJECT
private slots:
    // Versions are three numbers compared as numbers (with this program's 1.1.0), in the first
    // pair of tags, which are case-sensitive; anything else is not newer.
    void comparison()
    {
        const auto newer = [](const QByteArray& answer) {
            return newerVersionIn(QString::fromLatin1(answer), currentVersion()).value_or(QStringLiteral("-"));
        };
        for (const char* version : {"1.1.1", "1.2.0", "2.0.0", "1.1.10"})
            QCOMPARE(newer(QByteArray("<VERSION>") + version + "</VERSION>"), QString::fromLatin1(version));
        for (const char* version : {"1.1.0", "1.0.9", "0.9.9", "1.2", "1.1.1.5", "1.x.0", "2.-1.0"})
            QCOMPARE(newer(QByteArray("<VERSION>") + version + "</VERSION>"), QStringLiteral("-"));
        for (const char* answer : {"<VERSION>1.2.0",
                                   "</VERSION>1.2.0<VERSION>",
                                   "<version>1.2.0</version>",
                                   "<VERSION>1.0.0</VERSION><VERSION>3.0.0</VERSION>"})
            QCOMPARE(newer(answer), QStringLiteral("-"));
    }

    // The tags may reach the program in two blocks: only the whole answer is searched. Nothing
    // that goes wrong ever says newer, and each check ends with one answer.
    void answers_data()
    {
        QTest::addColumn<QList<QByteArray>>("parts"); // none: a port nothing listens on
        QTest::addColumn<bool>("closeAtEnd");
        QTest::addColumn<QString>("found"); // empty: not newer
        const QByteArray file = "Latest release\r\n<VERSION>1.2.0</VERSION>\r\nSee the web site.\r\n";
        const qsizetype start = file.indexOf("SION>");
        const QString v120 = QStringLiteral("1.2.0");
        // A keep-alive answer ends with its length; one without it ends with the connection.
        QTest::newRow("length, start tag split") << HttpTestServer::splitAnswer(file, start, true) << false << v120;
        QTest::newRow("closed, start tag split") << HttpTestServer::splitAnswer(file, start, false) << true << v120;

        const QByteArray newer = "Latest release\r\n<VERSION>2.0.0</VERSION>\r\n";
        QTest::newRow("error status") << QList<QByteArray>{"HTTP/1.1 404 Not Found\r\nContent-Length: "
                                                           + QByteArray::number(newer.size()) + "\r\n\r\n" + newer}
                                      << true << QString();
        QTest::newRow("closed before the end")
            << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + newer} << true << QString();
        QTest::newRow("not http") << QList<QByteArray>{"SSH-2.0-OpenSSH\r\n"} << true << QString();
        QByteArray huge(VersionCheck::LargestAnswer + 4096, ' ');
        huge += newer;
        QTest::newRow("too large") << HttpTestServer::splitAnswer(huge, huge.size() / 2, true) << true << QString();
        QTest::newRow("refused port") << QList<QByteArray>() << true << QString();
    }
    void answers()
    {
        QFETCH(QList<QByteArray>, parts);
        QFETCH(bool, closeAtEnd);
        QFETCH(QString, found);
        HttpTestServer server;
        server.parts = parts;
        server.closeAtEnd = closeAtEnd;
        QVERIFY(server.listen());
        QUrl url = server.url();
        if (parts.isEmpty())
            url.setPort(1); // nothing listens there on this machine
        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(url);
        QVERIFY(finished.wait(5000));
        QCOMPARE(QList<QVariantList>(finished), QList<QVariantList>{{!found.isEmpty()}});
        QCOMPARE(check.newerAvailable(), !found.isEmpty());
        QCOMPARE(check.versionFound(), found);
        if (!found.isEmpty())
            QVERIFY(server.request().startsWith("GET /trevisk/version.txt HTTP/1.1\r\n"));
    }

    // No address (the default of this tree) or one that is no web address: no request, at once.
    void noRequestWithoutWebAddress()
    {
        for (const QUrl& url : {QUrl(),
                                QUrl::fromLocalFile(QStringLiteral("/etc/hostname")),
                                QUrl(QStringLiteral("http:///trevisk/version.txt"))}) {
            VersionCheck check;
            QSignalSpy finished(&check, &VersionCheck::finished);
            check.start(url);
            QCOMPARE(QList<QVariantList>(finished), QList<QVariantList>{{false}});
            QVERIFY(!check.isRunning());
            QVERIFY(check.findChildren<QObject*>().isEmpty()); // not even a network manager
        }
    }

    // An abandoned request closes its connection, and what arrives later is never read.
    void abortIgnoresLaterAnswer()
    {
        HttpTestServer server; // never answers
        QVERIFY(server.listen());
        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(server.url());
        QTRY_VERIFY_WITH_TIMEOUT(server.client() != nullptr && !server.request().isEmpty(), 5000);
        QSignalSpy gone(server.client(), &QTcpSocket::disconnected);
        check.abort();
        QVERIFY(gone.wait(5000));
        QVERIFY(!check.isRunning());
        QCOMPARE(finished.size(), 0);
    }

    void addressSettings()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        store.setValue(QStringLiteral("Settings/VersionURL"), QStringLiteral(" http://127.0.0.1:8080/v.txt "));
        store.setValue(QStringLiteral("Settings/DownloadURL"), QStringLiteral("http://127.0.0.1:8080/get"));
        QCOMPARE(versionUrl(store), QUrl(QStringLiteral("http://127.0.0.1:8080/v.txt")));
        QCOMPARE(downloadUrl(store), QStringLiteral("http://127.0.0.1:8080/get"));
        store.setValue(QStringLiteral("Settings/VersionURL"), QString());
        QVERIFY(versionUrl(store).isEmpty());
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

QTEST_MAIN(TestUpdate)
#include "TestUpdate.moc"
