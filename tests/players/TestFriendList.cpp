#include "core/Routines.h"
#include "players/FriendList.h"
#include "players/PlayerTable.h"

#include <QTest>

#include <vector>

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

    // Rows come back as they went in, whatever their texts; the table is packed, so the lengths at
    // which a length takes a second byte (64 and 8192 UTF-8 bytes) are crossed.
    void tableRows()
    {
        const QString lone = QString(QChar(0xD800)) + u'x'; // UTF-8 cannot carry it
        const std::vector<Player> rows = {
            {},
            {QStringLiteral("J\u00f6rg \u540d"),
             QStringLiteral("-3"),
             QStringLiteral("N/A"),
             true,
             {},
             QStringLiteral("1:05")},
            {lone, QString(QChar(0xDC00)), QStringLiteral("0"), false, QStringLiteral("^1") + lone, {}},
            {QString(63, u'a'), QString(64, u'b'), QString(8192, u'c'), true, QString(100, u'\u00e9'), {}},
            {QString(3000, u'\u20ac'), {}, {}, false, {}, QStringLiteral("0:00")},
        };
        PlayerTable table;
        for (const Player& row : rows)
            table.push_back(row);
        table.squeeze();
        QCOMPARE(table.size(), rows.size());
        QVERIFY(std::equal(table.begin(), table.end(), rows.begin(), rows.end()));
        size_t i = 0;
        for (auto it = table.begin(); it != table.end(); ++it, ++i) {
            QCOMPARE(table.at(i), rows[i]);
            QCOMPARE(it.name(), rows[i].name);
            QCOMPARE(it.score(), rows[i].score);
        }
        QCOMPARE(table.at(rows.size()), Player());

        QCOMPARE(table, (PlayerTable{rows[0], rows[1], rows[2], rows[3], rows[4]}));
        QVERIFY(table != (PlayerTable{rows[0], rows[1], rows[2], rows[3]}));
        Player unmarked = rows[1];
        unmarked.isFriend = false;
        QVERIFY(table != (PlayerTable{rows[0], unmarked, rows[2], rows[3], rows[4]}));

        // Rows from an answer's bytes are the rows of their decoded texts: ASCII, UTF-8, and bytes
        // that are no UTF-8 (read as Latin-1).
        const QByteArray texts[] = {"", "Bob", "J\xC3\xB6rg", "J\xF6rg", QByteArray(70, 'x')};
        for (const QByteArray& a : texts) {
            for (const QByteArray& b : texts) {
                PlayerTable fromBytes;
                fromBytes.appendBytes(a, b, "5", true, b, a);
                const Player decoded{
                    decodeText(a), decodeText(b), QStringLiteral("5"), true, decodeText(b), decodeText(a)};
                QCOMPARE(fromBytes, PlayerTable{decoded});
                QCOMPARE(fromBytes.begin().scoreBytes(), decoded.score.toUtf8().size());
            }
        }

        PlayerTable copy = table;
        const PlayerTable taken = std::move(copy);
        QCOMPARE(taken, table);
        QVERIFY(copy.empty() && copy.begin() == copy.end()); // NOLINT(bugprone-use-after-move): the point
        QCOMPARE(copy, PlayerTable());
    }
};

QTEST_APPLESS_MAIN(TestFriendList)
#include "TestFriendList.moc"
