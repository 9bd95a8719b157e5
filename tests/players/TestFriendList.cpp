#include "players/FriendList.h"

#include <QTest>

using namespace trevisk;

class TestFriendList : public QObject
{
    Q_OBJECT
private slots:
    // Each case is checked both ways, so the count always agrees with the marks.
    void matching()
    {
        // Friends, players and those marked, names separated by "|"; the count.
        const std::tuple<const char*, const char*, const char*, int> cases[] = {
            {"bob", "Bob|[TAG]BOB|^1Bob^7|Bo", "Bob|[TAG]BOB|^1Bob^7", 3}, // case, tags, colour codes
            {nullptr, "Bob", "", 0},                                       // no friends
            {"Alpha|Beta", "Alpha|AlphaBeta", "Alpha|AlphaBeta", 2},       // two friends in one name counted once
            {"bob", "Bob|Bob", "Bob|Bob", 1},                              // the same name twice counted once
            {"*|a*", "Alpha|xA*", "xA*", 1},                               // an asterisk is a plain character
            {"|ob", "Alpha|Bob", "Bob", 1},                                // empty entries match nobody
            {"o'b", "O'Brien", "O'Brien", 1},                              // a quote in a name
        };
        const auto names = [](const char* text) {
            return text ? QString::fromLatin1(text).split(QLatin1Char('|')) : QStringList();
        };
        for (const auto& [friends, players, marked, count] : cases) {
            const FriendList list(names(friends));
            PlayerTable table;
            QStringList found;
            for (const QString& name : names(players)) {
                table.push_back({name, QString(), QString(), false, {}, {}});
                if (list.isFriend(name))
                    found << name;
            }
            QCOMPARE(found.join(QLatin1Char('|')), QLatin1String(marked));
            QCOMPARE(list.countFriends(table), count);
        }
    }
};

QTEST_APPLESS_MAIN(TestFriendList)
#include "TestFriendList.moc"
