#include "store/ListRules.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace trevisk;

namespace {

FavouriteMap favourite(std::optional<qint32> id, const QString& game, const QString& map)
{
    FavouriteMap row;
    row.id = id;
    row.game = game;
    row.map = map;
    return row;
}

} // namespace

class TestListRules : public QObject
{
    Q_OBJECT
private slots:
    // Counting rows would give 3 here, the ID of the last map, so editing one would change the other.
    void nextIdAfterDeletion()
    {
        std::vector<FavouriteMap> maps;
        QCOMPARE(nextFavouriteMapId(maps), 1);
        maps = {favourite(1, QStringLiteral("Quake 3"), QStringLiteral("q3dm1")),
                favourite(3, QStringLiteral("Quake 3"), QStringLiteral("q3dm3")),
                favourite(std::nullopt, QStringLiteral("Quake 2"), QStringLiteral("q2dm1"))};
        QCOMPARE(nextFavouriteMapId(maps), 4);
        maps.push_back(favourite(std::numeric_limits<qint32>::max(), QStringLiteral("Halo"), QStringLiteral("x")));
        QCOMPARE(nextFavouriteMapId(maps), 2);
    }

    void duplicatesCompareExactly()
    {
        const std::vector<FavouriteMap> maps{favourite(1, QStringLiteral("Quake 3"), QStringLiteral("O'Neil's")),
                                             favourite(2, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"))};
        QVERIFY(hasFavouriteMap(maps, QStringLiteral("Quake 3"), QStringLiteral("O'Neil's")));
        QVERIFY(!hasFavouriteMap(maps, QStringLiteral("Quake 2"), QStringLiteral("O'Neil's")));
        QVERIFY(!hasFavouriteMap(maps, QStringLiteral("Quake 3"), QStringLiteral("O''Neil's")));
        QVERIFY(!hasFavouriteMap(maps, QStringLiteral("Quake 3"), QStringLiteral("Q3DM17")));
        // The row being edited does not count against itself.
        QVERIFY(!hasFavouriteMap(maps, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), 1));
        QVERIFY(hasFavouriteMap(maps, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), 0));
    }

    void gamePathRows()
    {
        std::vector<GamePath> paths;
        setGamePath(paths, QStringLiteral("Quake 3"), QStringLiteral("  "), QString());
        QVERIFY(paths.empty());
        setGamePath(paths, QStringLiteral("Quake 3"), QStringLiteral(" /opt/q3/quake3 "), QStringLiteral(" +set a 1 "));
        setGamePath(paths, QStringLiteral("Halo"), QStringLiteral("/opt/halo"), QString());
        QCOMPARE(paths.size(), size_t(2));
        QCOMPARE(findGamePath(paths, QStringLiteral("Quake 3"))->path, QStringLiteral("/opt/q3/quake3"));
        QCOMPARE(findGamePath(paths, QStringLiteral("Quake 3"))->params, QStringLiteral("+set a 1"));
        // Emptying a configured game keeps its row, emptied.
        setGamePath(paths, QStringLiteral("Quake 3"), QString(), QString());
        QCOMPARE(paths.size(), size_t(2));
        QCOMPARE(paths[0].path, QString());
        QCOMPARE(findGamePath(paths, QStringLiteral("Quake 2")), nullptr);
    }

    // A working copy replaces the store only when its file was written.
    void commitWritesOrKeepsTheStore()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        stores.friends.rows = {{QStringLiteral("Old"), {{QStringLiteral("Colour"), 1}}}};
        RecordTable<FriendRecord> working = stores.friends;
        // A field of a newer version rides along.
        working.fields.append({QStringLiteral("Colour"), FieldType::Integer, 4});
        working.rows.push_back({QStringLiteral("New"), {{QStringLiteral("Colour"), 3}}});

        QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1(FriendsFile)));
        QVERIFY(!commitFriends(stores, working).isEmpty());
        QCOMPARE(stores.friends.rows.size(), size_t(1));

        QVERIFY(QDir(dir.path()).rmdir(QString::fromLatin1(FriendsFile)));
        QCOMPARE(commitFriends(stores, working), QString());
        QCOMPARE(stores.friends.rows, working.rows);
        Stores reread(dir.path());
        QCOMPARE(reread.read(reread.friends, FriendsFile), QString());
        QCOMPARE(reread.friends.rows, working.rows);
        QCOMPARE(reread.friends.fields, working.fields);
    }
};

QTEST_GUILESS_MAIN(TestListRules)
#include "TestListRules.moc"
