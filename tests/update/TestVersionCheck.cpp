#include "HttpTestServer.h"
#include "update/UpdateSettings.h"
#include "update/VersionCheck.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

QByteArray versionFile(const char* version)
{
    return QByteArray("Latest release\r\n<VERSION>") + version + "</VERSION>\r\nSee the web site.\r\n";
}

} // namespace

class TestVersionCheck : public QObject
{
    Q_OBJECT
private slots:
    void comparison_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("found"); // empty: not newer

        QTest::newRow("same") << QStringLiteral("<VERSION>1.1.0</VERSION>") << QString();
        QTest::newRow("revision") << QStringLiteral("<VERSION>1.1.1</VERSION>") << QStringLiteral("1.1.1");
        QTest::newRow("minor") << QStringLiteral("<VERSION>1.2.0</VERSION>") << QStringLiteral("1.2.0");
        QTest::newRow("major") << QStringLiteral("<VERSION>2.0.0</VERSION>") << QStringLiteral("2.0.0");
        QTest::newRow("older") << QStringLiteral("<VERSION>1.0.9</VERSION>") << QString();
        QTest::newRow("older major, greater minor") << QStringLiteral("<VERSION>0.9.9</VERSION>") << QString();
        QTest::newRow("numbers, not text") << QStringLiteral("<VERSION>1.1.10</VERSION>") << QStringLiteral("1.1.10");
        QTest::newRow("one dot") << QStringLiteral("<VERSION>1.2</VERSION>") << QString();
        QTest::newRow("no dot") << QStringLiteral("<VERSION>2</VERSION>") << QString();
        QTest::newRow("three dots") << QStringLiteral("<VERSION>1.1.1.5</VERSION>") << QString();
        QTest::newRow("not a number") << QStringLiteral("<VERSION>1.x.0</VERSION>") << QString();
        QTest::newRow("empty part") << QStringLiteral("<VERSION>2..0</VERSION>") << QString();
        QTest::newRow("sign") << QStringLiteral("<VERSION>2.-1.0</VERSION>") << QString();
        QTest::newRow("text around") << QString::fromLatin1(versionFile("1.2.0")) << QStringLiteral("1.2.0");
        QTest::newRow("no end tag") << QStringLiteral("<VERSION>1.2.0") << QString();
        QTest::newRow("end tag first") << QStringLiteral("</VERSION>1.2.0<VERSION>") << QString();
        QTest::newRow("tags are case-sensitive") << QStringLiteral("<version>1.2.0</version>") << QString();
        QTest::newRow("first element counts")
            << QStringLiteral("<VERSION>1.0.0</VERSION><VERSION>3.0.0</VERSION>") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void comparison()
    {
        QFETCH(QString, answer);
        QFETCH(QString, found);
        QCOMPARE(currentVersion(), (VersionNumber{1, 1, 0}));
        QCOMPARE(newerVersionIn(answer, currentVersion()).value_or(QString()), found);
    }

    // The tags may reach the program in two blocks; only the whole answer is searched.
    void answerInTwoBlocks_data()
    {
        QTest::addColumn<bool>("withLength");
        QTest::addColumn<int>("split");
        const int insideStart = versionFile("1.2.0").indexOf("SION>");
        const int insideEnd = versionFile("1.2.0").indexOf("/VERSION");
        QTest::newRow("length, start tag split") << true << insideStart;
        QTest::newRow("length, end tag split") << true << insideEnd;
        QTest::newRow("closed, start tag split") << false << insideStart;
        QTest::newRow("closed, number split") << false << insideStart + 6;
    }
    void answerInTwoBlocks()
    {
        QFETCH(bool, withLength);
        QFETCH(int, split);
        HttpTestServer server;
        server.parts = HttpTestServer::splitAnswer(versionFile("1.2.0"), split, withLength);
        server.closeAtEnd = !withLength; // a keep-alive answer ends with its length
        QVERIFY(server.listen());

        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(server.url());
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QVERIFY(check.newerAvailable());
        QCOMPARE(check.versionFound(), QStringLiteral("1.2.0"));
        QVERIFY(server.request().startsWith("GET /trevisk/version.txt HTTP/1.1\r\n"));
    }

    // Nothing that goes wrong ever says newer, and each ends with one answer.
    void failuresSayNotNewer_data()
    {
        QTest::addColumn<QList<QByteArray>>("parts");
        const QByteArray newer = versionFile("2.0.0");
        QTest::newRow("error status") << QList<QByteArray>{
            "HTTP/1.1 404 Not Found\r\nContent-Length: " + QByteArray::number(newer.size()) + "\r\n\r\n" + newer};
        QTest::newRow("closed before the end")
            << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + newer};
        QTest::newRow("not http") << QList<QByteArray>{"SSH-2.0-OpenSSH\r\n"};
        QByteArray huge(VersionCheck::LargestAnswer + 4096, ' ');
        huge += newer;
        QTest::newRow("too large") << HttpTestServer::splitAnswer(huge, huge.size() / 2, true);
    }
    void failuresSayNotNewer()
    {
        QFETCH(QList<QByteArray>, parts);
        HttpTestServer server;
        server.parts = parts;
        QVERIFY(server.listen());
        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(server.url());
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(!check.newerAvailable());
        QVERIFY(check.versionFound().isEmpty());
    }

    void refusedPort()
    {
        quint16 port = 0;
        {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            port = closed.serverPort();
        }
        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(QUrl(QStringLiteral("http://127.0.0.1:%1/trevisk/version.txt").arg(port)));
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
    }

    // No address (the default of this tree) or one that is no web address: no request, at once.
    void noRequestWithoutWebAddress_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("empty") << QUrl();
        QTest::newRow("local file") << QUrl::fromLocalFile(QStringLiteral("/etc/hostname"));
        QTest::newRow("no host") << QUrl(QStringLiteral("http:///trevisk/version.txt"));
    }
    void noRequestWithoutWebAddress()
    {
        QFETCH(QUrl, url);
        VersionCheck check;
        QSignalSpy finished(&check, &VersionCheck::finished);
        check.start(url);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(!check.isRunning());
        QVERIFY(check.findChildren<QObject*>().isEmpty()); // not even a network manager
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
        QVERIFY(!check.newerAvailable());
    }

    void addressSettings()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        QCOMPARE(versionUrl(store), defaultVersionUrl().isEmpty() ? QUrl() : QUrl(defaultVersionUrl()));
        QCOMPARE(downloadUrl(store), defaultDownloadUrl());
        store.setValue(QStringLiteral("Settings/VersionURL"), QStringLiteral(" http://127.0.0.1:8080/v.txt "));
        store.setValue(QStringLiteral("Settings/DownloadURL"), QStringLiteral("http://127.0.0.1:8080/get"));
        QCOMPARE(versionUrl(store), QUrl(QStringLiteral("http://127.0.0.1:8080/v.txt")));
        QCOMPARE(downloadUrl(store), QStringLiteral("http://127.0.0.1:8080/get"));
        store.setValue(QStringLiteral("Settings/VersionURL"), QString());
        QVERIFY(versionUrl(store).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVersionCheck)
#include "TestVersionCheck.moc"
