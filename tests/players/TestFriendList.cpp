#include "players/FriendList.h"

#include <QTest>

using namespace trevisk;

namespace {

// Names separated by "|".
QStringList names(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char('|'));
}

} // namespace

class TestFriendList : public QObject
{
    Q_OBJECT
private slots:
    // Each case is checked both ways, so the count always agrees with the marks.
    void matching_data()
    {
        QTest::addColumn<QStringList>("friends");
        QTest::addColumn<QStringList>("players");
        QTest::addColumn<QStringList>("marked");
        QTest::addColumn<int>("count");
        QTest::newRow("case, tags, colour codes")
            << names("bob") << names("Bob|[TAG]BOB|^1Bob^7|Bo") << names("Bob|[TAG]BOB|^1Bob^7") << 3;
        QTest::newRow("no friends") << QStringList() << names("Bob") << QStringList() << 0;
        QTest::newRow("two friends in one name counted once")
            << names("Alpha|Beta") << names("Alpha|AlphaBeta") << names("Alpha|AlphaBeta") << 2;
        QTest::newRow("same name twice counted once") << names("bob") << names("Bob|Bob") << names("Bob|Bob") << 1;
        QTest::newRow("asterisk is a plain character") << names("*|a*") << names("Alpha|xA*") << names("xA*") << 1;
        QTest::newRow("empty entries match nobody") << names("|ob") << names("Alpha|Bob") << names("Bob") << 1;
        QTest::newRow("quote in a name") << names("o'b") << names("O'Brien") << names("O'Brien") << 1;
    }

    void matching()
    {
        QFETCH(QStringList, friends);
        QFETCH(QStringList, players);
        QFETCH(QStringList, marked);
        QFETCH(int, count);
        const FriendList list(friends);
        PlayerTable table;
        QStringList found;
        for (const QString& name : players) {
            table.push_back({name, QString(), QString(), false, {}, {}});
            if (list.isFriend(name))
                found << name;
        }
        QCOMPARE(found, marked);
        QCOMPARE(list.countFriends(table), count);
    }
};

QTEST_APPLESS_MAIN(TestFriendList)
#include "TestFriendList.moc"
