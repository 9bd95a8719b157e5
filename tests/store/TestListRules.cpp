#include "store/ListRules.h"
#include "store/Stores.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace trevisk;

class TestListRules : public QObject
{
    Q_OBJECT
private slots:
    // Counting rows would give 3 here, the ID the last map already has.
    void nextIdAfterDeletion()
    {
        std::vector<FavouriteMap> maps;
        QCOMPARE(nextFavouriteMapId(maps), 1);
        maps = {{1, QStringLiteral("Quake 3"), QStringLiteral("a"), {}},
                {3, QStringLiteral("Quake 3"), QStringLiteral("c"), {}},
                {std::nullopt, QStringLiteral("Quake 2"), QStringLiteral("d"), {}}};
        QCOMPARE(nextFavouriteMapId(maps), 4);
        maps.push_back({std::numeric_limits<qint32>::max(), QStringLiteral("Halo"), QStringLiteral("x"), {}});
        QCOMPARE(nextFavouriteMapId(maps), 2);
    }

    // A working copy replaces the store only when its file was written, fields of a newer version included.
    void commitWritesOrKeepsTheStore()
    {
        QTemporaryDir dir;
        Stores stores(dir.path());
        stores.friends.rows = {{QStringLiteral("Old"), {{QStringLiteral("Colour"), 1}}}};
        RecordTable<FriendRecord> working = stores.friends;
        working.fields.append({QStringLiteral("Colour"), FieldType::Integer, 4});
        working.rows.push_back({QStringLiteral("New"), {{QStringLiteral("Colour"), 3}}});

        QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1(FriendsFile)));
        QVERIFY(!commitFriends(stores, working).isEmpty());
        QCOMPARE(stores.friends.rows.size(), size_t(1));

        QVERIFY(QDir(dir.path()).rmdir(QString::fromLatin1(FriendsFile)));
        QCOMPARE(commitFriends(stores, working), QString());
        Stores reread(dir.path());
        QCOMPARE(reread.read(reread.friends, FriendsFile), QString());
        QCOMPARE(reread.friends.rows, working.rows);
        QCOMPARE(reread.friends.fields, working.fields);
    }
};

QTEST_GUILESS_MAIN(TestListRules)
#include "TestListRules.moc"
