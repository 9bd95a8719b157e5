#include "store/ListRules.h"
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
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trevisk;

namespace {

// Writes half of what it is given and then finds the disk full; or writes it all and fails to flush it.
template <bool FailSync> class FailingWriter : public RecordWriter
{
public:
    int write(int fd, const QByteArray& bytes) override
    {
        if (FailSync)
            return RecordWriter::write(fd, bytes);
        RecordWriter::write(fd, bytes.left(bytes.size() / 2));
        return ENOSPC;
    }
    int sync(int fd) override { return FailSync ? EIO : RecordWriter::sync(fd); }
};

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Stores> m_stores;
    RecordingReporter m_reporter;

    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    QString files() const { return QDir(m_dir->path()).entryList(QDir::Files).join(QLatin1Char(' ')); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_stores = std::make_unique<Stores>(m_dir->path());
        m_reporter.reports.clear();
    }

    void everyStoreRoundTrips()
    {
        Stores& written = *m_stores;
        ServerRecord server, bare;
        server.address = QStringLiteral("127.0.2.10:27960");
        server.game = QStringLiteral("America's Army: Ops");
        server.iconBack = 0xFFFFFFFFLL;
        server.manualRefresh = false;
        server.noAlertMail = true;
        server.memo = QStringLiteral("clan \"home\" server");
        server.unused.edit().unusedDate = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        server.unused.edit().unusedNumber = 2.5;
        server.tray = 2;
        // A copy changed leaves the row it came from as it was.
        ServerRecord copy = server;
        copy.unused.edit().unusedNumber = 3.5;
        QVERIFY(server.unused.get().unusedNumber == 2.5 && !(copy == server));
        bare.address = QStringLiteral("second:1");
        written.servers.rows = {server, bare};
        written.friends.rows = {{QStringLiteral("zed"), {}}, {std::nullopt, {}}, {QStringLiteral("alpha"), {}}};
        written.favMaps.rows = {{2, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), {}},
                                {1, std::nullopt, QStringLiteral("ctf1"), {}}};
        written.gamePaths.rows = {{QStringLiteral("Quake 3"), QStringLiteral("/g/q3"), QStringLiteral("+set a 1"), {}}};
        written.custEmail.rows = {{QStringLiteral("second:1"), QString(1024, QLatin1Char('m')), {}}};
        QCOMPARE(written.saveServers() + written.saveFriends() + written.saveFavMaps() + written.saveGamePaths()
                     + written.saveCustEmail(),
                 QString());

        Stores read(m_dir->path());
        read.loadAll(m_reporter);
        QVERIFY(m_reporter.reports.isEmpty());
        QCOMPARE(read.servers.fields, written.servers.fields);
        const auto rows = [](const Stores& s) {
            return std::tie(s.servers.rows, s.friends.rows, s.favMaps.rows, s.gamePaths.rows, s.custEmail.rows);
        };
        QVERIFY(rows(read) == rows(written));
    }

    void unknownFieldsAreKept()
    {
        QVERIFY(writeFile(path(FriendsFile), R"({"format": "Trevisk record file", "version": 1, "table": "Friends",
            "fields": [{"name": "Since", "type": "datetime", "size": 8}, {"name": "Name", "type": "text", "size": 255}],
            "rows": [["2025-05-01T10:00:00", "bob"], [null, "eve"]]})"));
        m_stores->loadAll(m_reporter);
        QVERIFY(m_reporter.reports.isEmpty());
        m_stores->friends.rows.push_back({QStringLiteral("new"), {}});
        QCOMPARE(m_stores->saveFriends(), QString());

        const QJsonObject root = QJsonDocument::fromJson(readFile(path(FriendsFile))).object();
        QCOMPARE(root[u"fields"][0][u"name"].toString(), QStringLiteral("Since"));
        QCOMPARE(root[u"rows"].toArray(),
                 QJsonDocument::fromJson(R"([["2025-05-01T10:00:00", "bob"], [null, "eve"], [null, "new"]])").array());
    }

    // A full disk or a failed flush is a failed save that says why; the old file stays whole.
    void failedSaveLeavesTheOldFile()
    {
        m_stores->friends.rows = {{QStringLiteral("kept"), {}}};
        QCOMPARE(m_stores->saveFriends(), QString());
        const QByteArray before = readFile(path(FriendsFile));
        m_stores->friends.rows.push_back({QStringLiteral("lost"), {}});
        FailingWriter<false> full;
        QCOMPARE(m_stores->saveFriends(&full), QString::fromLocal8Bit(std::strerror(ENOSPC)));
        FailingWriter<true> unflushed;
        QVERIFY(m_stores->saveFriends(&unflushed).contains(QString::fromLocal8Bit(std::strerror(EIO))));
        QCOMPARE(readFile(path(FriendsFile)), before);
        QCOMPARE(files(), QStringLiteral("friends.dat"));
    }

    // Only regular files are replaced: a link to one keeps pointing at the new file; a folder, a
    // pipe or a link to nothing is refused and left as it was.
    void onlyRegularFilesAreReplaced()
    {
        Stores& stores = *m_stores;
        stores.friends.rows = {{QStringLiteral("bob"), {}}};
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("real")) && writeFile(path("real/friends.dat"), "old"));
        QVERIFY(QFile::link(path("real/friends.dat"), path(FriendsFile)));
        QCOMPARE(stores.saveFriends(), QString());
        QVERIFY(QFileInfo(path(FriendsFile)).isSymLink() && readFile(path("real/friends.dat")).contains("bob"));

        QVERIFY(QDir().mkdir(path(ServersFile)) && QFile::link(path("nowhere"), path(GamePathsFile)));
        QCOMPARE(::mkfifo(QFile::encodeName(path(FavMapsFile)).constData(), 0600), 0);
        QVERIFY(stores.saveServers().contains(QStringLiteral("is a folder")) && QFileInfo(path(ServersFile)).isDir());
        QVERIFY(stores.saveFavMaps().contains(QStringLiteral("not a regular file"))
                && !QFileInfo(path(FavMapsFile)).isFile());
        QVERIFY(stores.saveGamePaths().contains(QStringLiteral("link to nothing")) && !QFile::exists(path("nowhere")));
    }

    // A save killed before its rename leaves a full copy: the next save or start removes it, but
    // never a copy still being written, nor a file of the user's.
    void leftoverCopiesAreRemoved()
    {
        const QString leftover = path("friends.dat.trevisk-save-AbC123"),
                      busy = path("friends.dat.trevisk-save-Busy42");
        for (const QString& file : {leftover, busy, path("friends.dat.backup")})
            QVERIFY(writeFile(file, QByteArray(1000, 'x')));
        const int held = ::open(QFile::encodeName(busy).constData(), O_RDONLY);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        m_stores->loadAll(m_reporter);
        QCOMPARE(files(), QStringLiteral("friends.dat.backup friends.dat.trevisk-save-Busy42"));
        ::close(held);
        QCOMPARE(m_stores->saveFriends(), QString());
        QCOMPARE(files(), QStringLiteral("friends.dat friends.dat.backup"));
    }

    // What cannot be a record file is refused before it is read, as any unreadable store is:
    // a pipe would block the start, a device or a huge file would eat the memory.
    void unreadableInputsAreRefused()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path(ServersFile)).constData(), 0600), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path(FriendsFile)));
        QFile huge(path(FavMapsFile));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MaxReadBytes + 1));
        huge.close();
        m_stores->loadAll(m_reporter);
        QCOMPARE(m_reporter.reports.size(), 3);
        QVERIFY(m_reporter.reports.join(QLatin1Char('\n')).contains(QStringLiteral("larger than 32 MB")));
        for (const char* file : {ServersFile, FriendsFile, FavMapsFile})
            QVERIFY(!QFileInfo(path(file)).exists() && !QFileInfo(path(file)).isSymLink());
        const QDir movedAside(
            m_dir->path(), QStringLiteral("*.unreadable-*"), QDir::Name, QDir::AllEntries | QDir::System);
        QCOMPARE(movedAside.count(), 3u);
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
            init();
            QVERIFY(writeFile(path(FriendsFile), content));
            m_stores->loadAll(m_reporter);
            QVERIFY2(m_reporter.reports.size() == 1, content.constData());
            QVERIFY(m_stores->friends.rows.empty() && !QFile::exists(path(FriendsFile)));
        }
    }

    // The list editors' rules: a new map's ID after deletions (counting rows would give 3 here, the ID the
    // last map already has), and when a working copy is committed.
    void listRules()
    {
        std::vector<FavouriteMap> maps;
        QCOMPARE(nextFavouriteMapId(maps), 1);
        maps = {{1, QStringLiteral("Quake 3"), QStringLiteral("a"), {}},
                {3, QStringLiteral("Quake 3"), QStringLiteral("c"), {}},
                {std::nullopt, QStringLiteral("Quake 2"), QStringLiteral("d"), {}}};
        QCOMPARE(nextFavouriteMapId(maps), 4);
        maps.push_back({std::numeric_limits<qint32>::max(), QStringLiteral("Halo"), QStringLiteral("x"), {}});
        QCOMPARE(nextFavouriteMapId(maps), 2);

        // A working copy replaces the store only when its file was written, fields of a newer version included.
        Stores& stores = *m_stores;
        stores.friends.rows = {{QStringLiteral("Old"), {{QStringLiteral("Colour"), 1}}}};
        RecordTable<FriendRecord> working = stores.friends;
        working.fields.append({QStringLiteral("Colour"), FieldType::Integer, 4});
        working.rows.push_back({QStringLiteral("New"), {{QStringLiteral("Colour"), 3}}});

        QVERIFY(QDir().mkdir(path(FriendsFile)));
        QVERIFY(!commitFriends(stores, working).isEmpty());
        QCOMPARE(stores.friends.rows.size(), size_t(1));

        QVERIFY(QDir().rmdir(path(FriendsFile)));
        QCOMPARE(commitFriends(stores, working), QString());
        Stores reread(m_dir->path());
        QCOMPARE(reread.read(reread.friends, FriendsFile), QString());
        QVERIFY(reread.friends.rows == working.rows && reread.friends.fields == working.fields);
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "TestRecordFiles.moc"
