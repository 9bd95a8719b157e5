#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trevisk;

namespace {

// Writes half of what it is given and then finds the disk full; or writes it all and fails to flush it.
class FailingWriter : public RecordWriter
{
public:
    explicit FailingWriter(bool failSync)
        : m_failSync(failSync)
    {}
    int write(int fd, const QByteArray& bytes) override
    {
        if (m_failSync)
            return RecordWriter::write(fd, bytes);
        RecordWriter::write(fd, bytes.left(bytes.size() / 2));
        return ENOSPC;
    }
    int sync(int fd) override { return m_failSync ? EIO : RecordWriter::sync(fd); }

private:
    bool m_failSync;
};

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
        server.address = QStringLiteral("127.0.2.10:27960");
        server.game = QStringLiteral("America's Army: Ops");
        server.iconBack = 0xFFFFFFFFLL;
        server.manualRefresh = false;
        server.noAlertMail = true;
        server.memo = QStringLiteral("clan \"home\" server");
        server.unusedDate = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        server.unusedNumber = 2.5;
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
        QVERIFY(read.friends.rows == written.friends.rows);
        QVERIFY(read.favMaps.rows == written.favMaps.rows);
        QVERIFY(read.gamePaths.rows == written.gamePaths.rows);
        QVERIFY(read.custEmail.rows == written.custEmail.rows);
    }

    void unknownFieldsAreKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("friends.dat"));
        QVERIFY(writeFile(path, R"({"format": "Trevisk record file", "version": 1, "table": "Friends",
            "fields": [{"name": "Since", "type": "datetime", "size": 8}, {"name": "Name", "type": "text", "size": 255}],
            "rows": [["2025-05-01T10:00:00", "bob"], [null, "eve"]]})"));

        Stores stores(dir.path());
        RecordingReporter reporter;
        stores.loadAll(reporter);
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(stores.friends.rows.size(), size_t(2));
        QCOMPARE(stores.friends.rows.at(1).name, std::optional<QString>(QStringLiteral("eve")));
        stores.friends.rows.push_back({QStringLiteral("new"), {}});
        QCOMPARE(stores.saveFriends(), QString());

        const QJsonObject root = QJsonDocument::fromJson(readFile(path)).object();
        QCOMPARE(
            root.value(QStringLiteral("fields")).toArray().at(0).toObject().value(QStringLiteral("name")).toString(),
            QStringLiteral("Since"));
        QCOMPARE(root.value(QStringLiteral("rows")).toArray(),
                 QJsonDocument::fromJson(R"([["2025-05-01T10:00:00", "bob"], [null, "eve"], [null, "new"]])").array());
    }

    // A full disk or a failed flush is a failed save that says why; the old file stays whole.
    void failedSaveLeavesTheOldFile()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        stores.friends.rows = {{QStringLiteral("kept"), {}}};
        QCOMPARE(stores.saveFriends(), QString());
        const QByteArray before = readFile(stores.filePath(FriendsFile));

        stores.friends.rows.push_back({QStringLiteral("lost"), {}});
        FailingWriter full(false);
        QCOMPARE(stores.saveFriends(&full), QString::fromLocal8Bit(std::strerror(ENOSPC)));
        FailingWriter unflushed(true);
        QVERIFY(stores.saveFriends(&unflushed).contains(QString::fromLocal8Bit(std::strerror(EIO))));
        QCOMPARE(readFile(stores.filePath(FriendsFile)), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("friends.dat")});
    }

    // Only regular files are replaced: a link to one keeps pointing at the new file; a folder, a
    // pipe or a link to nothing is refused and left as it was.
    void onlyRegularFilesAreReplaced()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        stores.friends.rows = {{QStringLiteral("bob"), {}}};
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("real/friends.dat")), "old"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("real/friends.dat")), stores.filePath(FriendsFile)));
        QCOMPARE(stores.saveFriends(), QString());
        QVERIFY(QFileInfo(stores.filePath(FriendsFile)).isSymLink());
        QVERIFY(readFile(dir.filePath(QStringLiteral("real/friends.dat"))).contains("bob"));

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("servers.dat")));
        QVERIFY(stores.saveServers().contains(QStringLiteral("is a folder")));
        QVERIFY(QFileInfo(stores.filePath(ServersFile)).isDir());
        QCOMPARE(::mkfifo(QFile::encodeName(stores.filePath(FavMapsFile)).constData(), 0600), 0);
        QVERIFY(stores.saveFavMaps().contains(QStringLiteral("not a regular file")));
        QVERIFY(!QFileInfo(stores.filePath(FavMapsFile)).isFile());
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), stores.filePath(GamePathsFile)));
        QVERIFY(stores.saveGamePaths().contains(QStringLiteral("link to nothing")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("nowhere"))));
    }

    // A save killed before its rename leaves a full copy: the next save or start removes it, but
    // never a copy still being written, nor a file of the user's.
    void leftoverCopiesAreRemoved()
    {
        QTemporaryDir dir;
        const QString leftover = dir.filePath(QStringLiteral("friends.dat.trevisk-save-AbC123"));
        const QString busy = dir.filePath(QStringLiteral("friends.dat.trevisk-save-Busy42"));
        const QString users = dir.filePath(QStringLiteral("friends.dat.backup"));
        for (const QString& path : {leftover, busy, users})
            QVERIFY(writeFile(path, QByteArray(1000, 'x')));
        const int held = ::open(QFile::encodeName(busy).constData(), O_RDONLY);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);

        Stores stores(dir.path());
        RecordingReporter reporter;
        stores.loadAll(reporter);
        QVERIFY(!QFile::exists(leftover));
        QVERIFY(QFile::exists(busy) && QFile::exists(users));
        ::close(held);
        QCOMPARE(stores.saveFriends(), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("friends.dat"), QStringLiteral("friends.dat.backup")}));
    }

    // What cannot be a record file is refused before it is read, as any unreadable store is:
    // a pipe would block the start, a device or a huge file would eat the memory.
    void unreadableInputsAreRefused()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        QCOMPARE(::mkfifo(QFile::encodeName(stores.filePath(ServersFile)).constData(), 0600), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), stores.filePath(FriendsFile)));
        QFile huge(stores.filePath(FavMapsFile));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MaxReadBytes + 1));
        huge.close();
        RecordingReporter reporter;
        stores.loadAll(reporter);
        QCOMPARE(reporter.reports.size(), 3);
        QVERIFY(reporter.reports.join(QLatin1Char('\n')).contains(QStringLiteral("larger than 32 MB")));
        for (const char* file : {ServersFile, FriendsFile, FavMapsFile})
            QVERIFY(!QFileInfo(stores.filePath(file)).exists() && !QFileInfo(stores.filePath(file)).isSymLink());
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.unreadable-*")}, QDir::AllEntries | QDir::System).size(),
                 3);
    }

    void filesThatDoNotFitAreRefused()
    {
        const QByteArray head = R"({"format": "Trevisk record file", "version": 1, "fields": [{"name": "Name", )";
        for (const QByteArray& content : {
                 QByteArray("servers"),
                 QByteArray(R"({"rows": []})"),
                 head + R"("type": "text", "size": 255}], "rows": [[]]})",     // a short row
                 head + R"("type": "text", "size": 255}], "rows": [[12]]})",   // a value of the wrong type
                 head + R"("type": "integer", "size": 4}], "rows": [[1.5]]})", // a known field of another type
                 QByteArray(R"({"format": "Trevisk record file", "version": 9, "fields": [], "rows": []})"),
             }) {
            QTemporaryDir dir;
            QVERIFY(writeFile(dir.filePath(QStringLiteral("friends.dat")), content));
            Stores stores(dir.path());
            RecordingReporter reporter;
            stores.loadAll(reporter, QStringLiteral("Main()"));
            QVERIFY2(reporter.reports.size() == 1, content.constData());
            QVERIFY(stores.friends.rows.empty());
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("friends.dat"))));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "TestRecordFiles.moc"
