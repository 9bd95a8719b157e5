#include "store/Stores.h"
#include "support/RecordingReporter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

// Writes half of what it is given, then fails, as a full disk would.
class FailingWriter : public RecordWriter
{
public:
    bool write(QIODevice& device, const QByteArray& bytes) override
    {
        device.write(bytes.left(bytes.size() / 2));
        return false;
    }
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT
private slots:
    void everyStoreRoundTrips()
    {
        QTemporaryDir dir;
        Stores written(dir.path());
        ServerRecord server;
        server.address = QStringLiteral("192.0.2.10:27960");
        server.game = QStringLiteral("America's Army: Ops");
        server.iconBack = 0xFFFFFFFFLL;
        server.manualRefresh = 0;
        server.option2 = QStringLiteral("clan \"home\" server");
        server.option3 = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        server.option4 = 2.5;
        server.tray = 2;
        ServerRecord bare;
        bare.address = QStringLiteral("second:1");
        written.servers.rows = {server, bare};
        written.friends.rows = {{QStringLiteral("zed"), {}}, {std::nullopt, {}}, {QStringLiteral("alpha"), {}}};
        written.favMaps.rows = {{2, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), {}},
                                {1, std::nullopt, QStringLiteral("ctf1"), {}}};
        written.gamePaths.rows = {{QStringLiteral("Quake 3"), QStringLiteral("/g/q3"), QStringLiteral("+set a 1"), {}}};
        written.custEmail.rows = {{QStringLiteral("second:1"), QString(1024, QLatin1Char('m')), {}}};
        for (const QString& error : {written.saveServers(),
                                     written.saveFriends(),
                                     written.saveFavMaps(),
                                     written.saveGamePaths(),
                                     written.saveCustEmail()})
            QCOMPARE(error, QString());

        Stores read(dir.path());
        RecordingReporter reporter;
        read.loadAll(reporter);
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(read.servers.fields, written.servers.fields);
        QVERIFY(read.servers.rows == written.servers.rows);
        QVERIFY(!read.servers.rows.at(1).game.has_value());
        QVERIFY(read.friends.rows == written.friends.rows);
        QVERIFY(read.favMaps.rows == written.favMaps.rows);
        QVERIFY(read.gamePaths.rows == written.gamePaths.rows);
        QVERIFY(read.custEmail.rows == written.custEmail.rows);
    }

    void unknownFieldsAreKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("friends.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"format": "Trevisk record file", "version": 1, "table": "Friends",
            "fields": [{"name": "Since", "type": "datetime", "size": 8}, {"name": "Name", "type": "text", "size": 255}],
            "rows": [["2025-05-01T10:00:00", "bob"], [null, "eve"]]})");
        file.close();

        Stores stores(dir.path());
        RecordingReporter reporter;
        stores.loadAll(reporter);
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(stores.friends.rows.size(), size_t(2));
        QCOMPARE(stores.friends.rows.at(1).name, std::optional<QString>(QStringLiteral("eve")));
        stores.friends.rows.push_back({QStringLiteral("new"), {}});
        QCOMPARE(stores.saveFriends(), QString());

        const QJsonObject root = QJsonDocument::fromJson(readAll(path)).object();
        QCOMPARE(
            root.value(QStringLiteral("fields")).toArray().at(0).toObject().value(QStringLiteral("name")).toString(),
            QStringLiteral("Since"));
        const QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).toArray().at(0).toString(), QStringLiteral("2025-05-01T10:00:00"));
        QVERIFY(rows.at(2).toArray().at(0).isNull());
        QCOMPARE(rows.at(2).toArray().at(1).toString(), QStringLiteral("new"));
    }

    void failedSaveLeavesTheOldFile()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        stores.friends.rows = {{QStringLiteral("kept"), {}}};
        QCOMPARE(stores.saveFriends(), QString());
        const QByteArray before = readAll(stores.filePath(FriendsFile));

        stores.friends.rows.push_back({QStringLiteral("lost"), {}});
        FailingWriter failing;
        QVERIFY(!stores.saveFriends(&failing).isEmpty());
        QCOMPARE(readAll(stores.filePath(FriendsFile)), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("friends.dat")});

        // A folder where the file must go makes the save fail too, and is left alone.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("servers.dat")));
        QVERIFY(!stores.saveServers().isEmpty());
        QVERIFY(QFileInfo(stores.filePath(ServersFile)).isDir());
    }

    void filesThatDoNotFitAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArray("servers");
        QTest::newRow("other json") << QByteArray(R"({"rows": []})");
        QTest::newRow("short row") << QByteArray(
            R"({"format": "Trevisk record file", "version": 1, "fields": [{"name": "Name", "type": "text", "size": 255}], "rows": [[]]})");
        QTest::newRow("wrong type") << QByteArray(
            R"({"format": "Trevisk record file", "version": 1, "fields": [{"name": "Name", "type": "text", "size": 255}], "rows": [[12]]})");
        QTest::newRow("known field of another type") << QByteArray(
            R"({"format": "Trevisk record file", "version": 1, "fields": [{"name": "Name", "type": "integer", "size": 4}], "rows": [[1.5]]})");
        QTest::newRow("newer version") << QByteArray(
            R"({"format": "Trevisk record file", "version": 9, "fields": [], "rows": []})");
    }

    void filesThatDoNotFitAreRefused()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("friends.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        Stores stores(dir.path());
        RecordingReporter reporter;
        stores.loadAll(reporter, QStringLiteral("Main()"));
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(stores.friends.rows.empty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("friends.dat"))));
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "TestRecordFiles.moc"
