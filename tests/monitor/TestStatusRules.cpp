#include "core/Settings.h"
#include "monitor/AlertMail.h"
#include "monitor/StatusRules.h"
#include "players/FriendList.h"

#include <QTest>

using namespace trevisk;
using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(12, 0));

// A row that has answered before: up, named, on q3dm1 with one player.
StatusRow answeredRow()
{
    StatusRow row;
    row.address = QStringLiteral("127.0.0.1:27960");
    row.game = QStringLiteral("Quake 3");
    row.name = QStringLiteral("Lab");
    row.map = row.lastMap = QStringLiteral("q3dm1");
    row.lastPlayers = row.actPlayers = 1;
    row.actMax = 8;
    row.timeOutCount = 0;
    row.state = ServerState::Up;
    return row;
}

PlayerTable playersNamed(const QStringList& names)
{
    PlayerTable table;
    for (const QString& name : names)
        table.push_back(Player{name, {}, {}, false, {}, {}});
    return table;
}

// The settings a case changes, over the defaults: "nss=0", "sound=5", "snoozed", "quiet", "mail=2/30".
struct Inputs
{
    AppSettings settings;
    std::vector<FavouriteMap> favourites{{1, QStringLiteral("Quake 3"), QStringLiteral("dm17"), {}}};
    FriendList friends{QStringList{QStringLiteral("bob"), QString(), QStringLiteral("eve")}};
    EmailSettings email;
    bool snoozed = false;
    bool quiet = false;

    explicit Inputs(const QString& changes)
    {
        for (const QString& change : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = change.section(QLatin1Char('='), 0, 0);
            const QString value = change.section(QLatin1Char('='), 1);
            if (key == QLatin1String("sound"))
                settings.soundEnable[size_t(value.toInt())] = QStringLiteral("1");
            else if (key == QLatin1String("nss"))
                settings.nss = qint16(value.toInt());
            else if (key == QLatin1String("nActive"))
                settings.nActive = qint16(value.toInt());
            else if (key == QLatin1String("nFriend"))
                settings.nFriend = qint16(value.toInt());
            else if (key == QLatin1String("notifyMap"))
                settings.notifyMap = qint16(value.toInt());
            else if (key == QLatin1String("snoozed"))
                snoozed = true;
            else if (key == QLatin1String("quiet"))
                quiet = true;
            else if (key == QLatin1String("mail")) {
                email.enabled = true;
                email.timeOuts = value.section(QLatin1Char('/'), 0, 0);
                email.interval = qint16(value.section(QLatin1Char('/'), 1).toInt());
            } else
                qFatal("unknown input %s", qPrintable(change));
        }
    }
    RuleInputs rules() const { return {settings, favourites, friends, email, Now, snoozed, quiet}; }
};

// Each event as "logged line [P|-][L|-] sound", its line breaks shown as "/".
QStringList describe(const std::vector<MonitorEvent>& events)
{
    QStringList lines;
    for (const MonitorEvent& event : events) {
        // No translation is loaded here: a shown text unlike the log's is a fault.
        const QString shown = event.shown == event.logged ? event.logged : QStringLiteral("MISMATCH");
        lines << QString(shown).replace(QStringLiteral("\r\n"), QStringLiteral("/")) + QStringLiteral(" [")
                     + QLatin1String(event.popUp ? "P" : "-") + QLatin1String(event.log ? "L" : "-")
                     + QStringLiteral(" %1]").arg(event.sound);
    }
    return lines;
}

QString text(const std::optional<QString>& value)
{
    return value ? *value : QStringLiteral("unset");
}

QString number(const std::optional<qint32>& value)
{
    return value ? QString::number(*value) : QStringLiteral("unset");
}

} // namespace

class TestStatusRules : public QObject
{
    Q_OBJECT
private slots:
    // One cycle's answer over a previous row: the new row's fields and the events, in order.
    void cycle_data()
    {
        QTest::addColumn<QString>("previous"); // "answered", "offline", "empty", "fresh" (listed, never answered)
        QTest::addColumn<QString>("answer");   // "players=a,b" "none" (no table) "count=5" "silent" "map=..." ...
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("row"); // players, lastPlayers, friends, offline, timeOutCount
        QTest::addColumn<QStringList>("events");
        const QString map = QStringLiteral("Lab is running your favorite map: q3dm17");
        QTest::newRow("steady") << u"answered"_s << u"players=a"_s << u""_s << u"1/8 1 0 no 0"_s << QStringList{};
        QTest::newRow("first answer: no activity, a favourite map")
            << u"fresh"_s << u"players=a,b map=q3dm17"_s << u"sound=5"_s << u"2/8 2 0 no 0"_s
            << QStringList{map + u" [PL 5]"_s};
        QTest::newRow("favourite map, pop-up off, sound on")
            << u"answered"_s << u"players=a map=q3dm17"_s << u"notifyMap=0 sound=5"_s << u"1/8 1 0 no 0"_s
            << QStringList{map + u" [-L 5]"_s};
        QTest::newRow("favourite map, pop-up and sound off")
            << u"answered"_s << u"players=a map=q3dm17"_s << u"notifyMap=0"_s << u"1/8 1 0 no 0"_s << QStringList{};
        QTest::newRow("favourite map of another game")
            << u"answered"_s << u"players=a map=q3dm17 game=Quake 2"_s << u""_s << u"1/8 1 0 no 0"_s << QStringList{};
        QTest::newRow("a %2 in the name stays")
            << u"answered"_s << u"players=a map=q3dm17 name=Lab %2"_s << u""_s << u"1/8 1 0 no 0"_s
            << QStringList{u"Lab %2 is running your favorite map: q3dm17 [PL -1]"_s};
        QTest::newRow("became active: popped up, never logged")
            << u"empty"_s << u"players=a,b"_s << u"sound=4"_s << u"2/8 2 0 no 0"_s
            << QStringList{u"Lab has become active with players... [P- 4]"_s};
        QTest::newRow("became active, pop-up off")
            << u"empty"_s << u"players=a"_s << u"nActive=0"_s << u"1/8 1 0 no 0"_s
            << QStringList{u"Lab has become active with players... [-- -1]"_s};
        QTest::newRow("back online wins over became active")
            << u"offline"_s << u"players=a,b"_s << u"sound=1 sound=4"_s << u"2/8 2 0 no 0"_s
            << QStringList{u"Lab is back online! [PL 1]"_s};
        QTest::newRow("back online, pop-up off") << u"offline"_s << u"players=a"_s << u"nss=0"_s << u"1/8 1 0 no 0"_s
                                                 << QStringList{u"Lab is back online! [-L -1]"_s};
        QTest::newRow("snoozed: logged, not popped up, not sounded")
            << u"offline"_s << u"players=a map=q3dm17"_s << u"snoozed sound=1 sound=5"_s << u"1/8 1 0 no 0"_s
            << QStringList{map + u" [-L -1]"_s, u"Lab is back online! [-L -1]"_s};
        QTest::newRow("silent cycle: still offline, no ping")
            << u"offline"_s << u"players=a silent"_s << u""_s << u"1/8 1 0 yes 2"_s << QStringList{};
        // Half-Life's first answer carries no players: no sign of a server that was empty.
        QTest::newRow("players not received yet")
            << u"fresh"_s << u"players= notreceived"_s << u""_s << u"0/8 unset 0 no 0"_s << QStringList{};
        QTest::newRow("no player table") << u"answered"_s << u"none"_s << u""_s << u"0/8 0 0 no 0"_s << QStringList{};
        QTest::newRow("the engine's own count, rows missing")
            << u"answered"_s << u"players= count=5"_s << u""_s << u"5/8 0 0 no 0"_s << QStringList{};
        QTest::newRow("a count that is no number keeps the last")
            << u"answered"_s << u"players= count=x max=y"_s << u""_s << u"x/y 0 0 no 0"_s << QStringList{};
        QTest::newRow("friends come and go in one event each")
            << u"answered"_s << u"players=Bob,carol,BOBBY,eve friends=eve,zed"_s << u"sound=2"_s << u"4/8 4 3 no 0"_s
            << QStringList{u"zed/logged off from/Lab [PL -1]"_s, u"Bob/BOBBY/logged onto/Lab [PL 2]"_s};
        QTest::newRow("friends, pop-up off") << u"answered"_s << u"players=bob"_s << u"nFriend=0"_s << u"1/8 1 1 no 0"_s
                                             << QStringList{u"bob/logged onto/Lab [-L -1]"_s};
        QTest::newRow("an incomplete list tells nothing of friends")
            << u"answered"_s << u"players=bob incomplete friends=eve"_s << u""_s << u"1/8 1 1 no 0"_s << QStringList{};
    }
    void cycle()
    {
        QFETCH(QString, previous);
        QFETCH(QString, answer);
        QFETCH(QString, inputs);
        QFETCH(QString, row);
        QFETCH(QStringList, events);
        StatusRow before = answeredRow();
        if (previous == QLatin1String("offline")) {
            before.timeOut = QStringLiteral("1");
            before.timeOutCount = 2;
            before.state = ServerState::Refused;
            before.lastMail = Now.addSecs(-60);
        } else if (previous == QLatin1String("empty")) {
            before.lastPlayers = before.actPlayers = 0;
        } else if (previous == QLatin1String("fresh")) {
            before = StatusRow();
            before.game = QStringLiteral("Quake 3");
        }
        CycleResult result;
        PlayerTable players;
        result.game = QStringLiteral("Quake 3");
        result.hostname = QStringLiteral("Lab");
        result.map = QStringLiteral("q3dm1");
        result.maxPlayers = QStringLiteral("8");
        result.lastRefresh = Now;
        result.ping = 40;
        result.playersReceived = true;
        for (const QString& part : answer.split(QLatin1Char(' '))) {
            const QString key = part.section(QLatin1Char('='), 0, 0);
            const QString value = part.section(QLatin1Char('='), 1);
            if (key == QLatin1String("players")) {
                players = playersNamed(value.split(QLatin1Char(','), Qt::SkipEmptyParts));
                result.players = &players;
            } else if (key == QLatin1String("map"))
                result.map = value;
            else if (key == QLatin1String("game"))
                result.game = value + QStringLiteral(" 2");
            else if (key == QLatin1String("name"))
                result.hostname = value + QStringLiteral(" %2");
            else if (key == QLatin1String("count")) {
                result.reportsPlayerCount = true;
                result.numPlayers = value;
            } else if (key == QLatin1String("max"))
                result.maxPlayers = value;
            else if (key == QLatin1String("friends"))
                result.friendsPresent = value.split(QLatin1Char(','));
            else if (key == QLatin1String("incomplete"))
                result.playersIncomplete = true;
            else if (key == QLatin1String("notreceived"))
                result.playersReceived = false;
            else if (key == QLatin1String("silent"))
                result.lastRefresh = QDateTime();
        }
        const Inputs given(inputs);
        const StepOutcome outcome = applyCycle(before, result, given.rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(QStringList({text(after.players),
                              number(after.lastPlayers),
                              number(after.friends),
                              QLatin1String(after.isOffline() ? "yes" : "no"),
                              number(after.timeOutCount)})
                     .join(QLatin1Char(' ')),
                 row);
        QCOMPARE(describe(outcome.events), events);
        QCOMPARE(after.name, std::optional(result.hostname));
        QCOMPARE(after.map, std::optional(result.map));
        QCOMPARE(after.lastMap, std::optional(result.map));
        QCOMPARE(after.answered(), !result.lastRefresh.isNull());
        if (after.answered()) {
            QCOMPARE(after.state, ServerState::Up);
            QCOMPARE(after.ping, std::optional(40));
            QVERIFY(!after.lastMail && after.stateReason.isEmpty());
            QVERIFY(!outcome.quietOutage);
        } else {
            // A server that did not answer has no ping, and its state and mail stay as they were.
            QVERIFY(!after.ping);
            QCOMPARE(after.state, before.state);
            QCOMPARE(after.lastMail, before.lastMail);
        }
        if (result.players && !result.playersIncomplete)
            QVERIFY(!outcome.friendsPresent.contains(QStringLiteral("zed")));
    }

    // A time-out over a previous row: the count, the offline mark, the event and whether mail is due.
    void timeOut_data()
    {
        QTest::addColumn<QString>("previous"); // "answered", "offline", "fresh", "mailed" (offline, mailed 31 min ago)
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("row"); // offline, timeOutCount
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("mail"); // "due", "-", "quiet" (nothing due; the outage stays unmailed)
        const QString offline = QStringLiteral("Lab has gone offline!");
        QTest::newRow("goes offline") << u"answered"_s << u"sound=0"_s << u"yes 1"_s
                                      << QStringList{offline + u" [PL 0]"_s} << u"-"_s;
        QTest::newRow("goes offline, pop-up off: still logged")
            << u"answered"_s << u"nss=0"_s << u"yes 1"_s << QStringList{offline + u" [-L -1]"_s} << u"-"_s;
        QTest::newRow("once per outage") << u"offline"_s << u""_s << u"yes 3"_s << QStringList{} << u"-"_s;
        QTest::newRow("never answered: not offline, but counted")
            << u"fresh"_s << u""_s << u"no 1"_s << QStringList{} << u"-"_s;
        QTest::newRow("threshold reached") << u"offline"_s << u"mail=3/-1"_s << u"yes 3"_s << QStringList{} << u"due"_s;
        QTest::newRow("below the threshold")
            << u"answered"_s << u"mail=2/-1"_s << u"yes 1"_s << QStringList{offline + u" [PL -1]"_s} << u"-"_s;
        QTest::newRow("never answered, mailed all the same")
            << u"fresh"_s << u"mail=1/-1"_s << u"no 1"_s << QStringList{} << u"due"_s;
        QTest::newRow("only once per outage") << u"mailed"_s << u"mail=2/-1"_s << u"yes 3"_s << QStringList{} << u"-"_s;
        QTest::newRow("again after the interval")
            << u"mailed"_s << u"mail=2/30"_s << u"yes 3"_s << QStringList{} << u"due"_s;
        QTest::newRow("not before the interval")
            << u"mailed"_s << u"mail=2/32"_s << u"yes 3"_s << QStringList{} << u"-"_s;
        QTest::newRow("snoozed: logged only, and quiet after")
            << u"answered"_s << u"snoozed sound=0 mail=1/-1"_s << u"yes 1"_s << QStringList{offline + u" [-L -1]"_s}
            << u"quiet"_s;
        QTest::newRow("snoozed after the mail: not quiet")
            << u"mailed"_s << u"snoozed mail=1/30"_s << u"yes 3"_s << QStringList{} << u"-"_s;
        QTest::newRow("an outage begun while snoozed stays unmailed")
            << u"offline"_s << u"quiet mail=1/-1"_s << u"yes 3"_s << QStringList{} << u"quiet"_s;
    }
    void timeOut()
    {
        QFETCH(QString, previous);
        QFETCH(QString, inputs);
        QFETCH(QString, row);
        QFETCH(QStringList, events);
        QFETCH(QString, mail);
        StatusRow before = answeredRow();
        if (previous == QLatin1String("fresh")) {
            before.name.reset();
            before.timeOutCount.reset();
        } else if (previous != QLatin1String("answered")) {
            before.timeOut = QStringLiteral("1");
            before.timeOutCount = 2;
            if (previous == QLatin1String("mailed"))
                before.lastMail = Now.addSecs(-31 * 60);
        }
        const Inputs given(inputs);
        const StepOutcome outcome = applyTimeOut(
            before, {QStringLiteral("Lab"), ServerState::Refused, QStringLiteral("port closed")}, given.rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(
            QStringLiteral("%1 %2").arg(QLatin1String(after.isOffline() ? "yes" : "no"), number(after.timeOutCount)),
            row);
        QCOMPARE(after.state, ServerState::Refused);
        QCOMPARE(after.stateReason, QStringLiteral("port closed"));
        QCOMPARE(after.lastMail, before.lastMail);
        QCOMPARE(describe(outcome.events), events);
        QCOMPARE(QLatin1String(outcome.mailDue ? "due" : outcome.quietOutage ? "quiet" : "-"), mail);
    }

    // The repeat rule alone, and the switches that keep any mail from going.
    void alertMailDue_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("noMail");       // the server's own switch
        QTest::addColumn<QString>("timeOuts"); // the threshold as stored
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("mailedAgo"); // minutes; -1: not mailed in this outage
        QTest::addColumn<bool>("due");
        QTest::newRow("at the threshold") << true << 0 << u"3"_s << -1 << -1 << true;
        QTest::newRow("off") << false << 0 << u"3"_s << -1 << -1 << false;
        QTest::newRow("the server asks for none") << true << 1 << u"3"_s << -1 << -1 << false;
        QTest::newRow("below the threshold") << true << 0 << u"4"_s << -1 << -1 << false;
        QTest::newRow("a threshold that is no number counts as 2u") << true << 0 << "_sx" << -1 << -1 << true;
        QTest::newRow("once per outage") << true << 0 << u"3"_s << -1 << 600 << false;
        QTest::newRow("interval 0 is once too") << true << 0 << u"3"_s << 0 << 600 << false;
        QTest::newRow("interval passed") << true << 0 << u"3"_s << 30 << 31 << true;
        QTest::newRow("interval just reached") << true << 0 << u"3"_s << 30 << 30 << false;
    }
    void alertMailDue()
    {
        QFETCH(bool, enabled);
        QFETCH(int, noMail);
        QFETCH(QString, timeOuts);
        QFETCH(int, interval);
        QFETCH(int, mailedAgo);
        QFETCH(bool, due);
        EmailSettings settings;
        settings.enabled = enabled;
        settings.timeOuts = timeOuts;
        settings.interval = qint16(interval);
        StatusRow row = answeredRow();
        row.timeOutCount = 3;
        row.emailNotify = noMail;
        if (mailedAgo >= 0)
            row.lastMail = Now.addSecs(-60LL * mailedAgo);
        QCOMPARE(trevisk::alertMailDue(settings, row, Now), due);
    }

    void compareFriends_data()
    {
        QTest::addColumn<QStringList>("players");
        QTest::addColumn<bool>("incomplete");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("changes"); // present | came on | went off
        QTest::newRow("a name containing a friend's, any case")
            << QStringList{u"Bob"_s, u"carol"_s, u"[X]BOBBY"_s} << false << QStringList{}
            << u"Bob,[X]BOBBY|Bob,[X]BOBBY|"_s;
        QTest::newRow("seen before: no event") << QStringList{u"bob"_s} << false << QStringList{u"bob"_s} << u"bob||"_s;
        QTest::newRow("left, and the order kept") << QStringList{u"eve"_s, u"bob"_s} << false
                                                  << QStringList{u"bob"_s, u"zed"_s, u"eve"_s} << u"bob,eve||zed"_s;
        QTest::newRow("a name that changed case is another player")
            << QStringList{u"BOB"_s} << false << QStringList{u"bob"_s} << u"BOB|BOB|bob"_s;
        QTest::newRow("twice on the server, once announced")
            << QStringList{u"bob"_s, u"bob"_s} << false << QStringList{} << u"bob|bob|"_s;
        QTest::newRow("incomplete: nothing changes")
            << QStringList{u"eve"_s} << true << QStringList{u"bob"_s} << u"bob||"_s;
        QTest::newRow("no friends among them") << QStringList{u"carol"_s} << false << QStringList{} << u"||"_s;
    }
    void compareFriends()
    {
        QFETCH(QStringList, players);
        QFETCH(bool, incomplete);
        QFETCH(QStringList, present);
        QFETCH(QString, changes);
        const FriendList friends({QStringLiteral("bob"), QString(), QStringLiteral("eve")});
        const FriendChanges found = trevisk::compareFriends(playersNamed(players), incomplete, present, friends);
        const QString comma = QStringLiteral(",");
        QCOMPARE(QStringList({found.present.join(comma), found.cameOn.join(comma), found.wentOff.join(comma)})
                     .join(QLatin1Char('|')),
                 changes);
    }

    // A key reported once keeps its last value while answers leave it out; a server that reports
    // the same keys shares the answer's table.
    void mergedSettings()
    {
        const auto table = [](std::initializer_list<std::pair<const char*, const char*>> rows) {
            SettingsTable settings;
            for (const auto& [key, value] : rows)
                settings.push_back({QString::fromLatin1(key), QString::fromLatin1(value)});
            return std::make_shared<const SettingsTable>(std::move(settings));
        };
        const auto first = table({{"a", "1"}, {"b", "2"}});
        QCOMPARE(trevisk::mergedSettings(nullptr, first), first);
        const auto same = table({{"a", "3"}, {"b", "4"}});
        QCOMPARE(trevisk::mergedSettings(first, same), same);
        QCOMPARE(trevisk::mergedSettings(first, nullptr), first);
        QCOMPARE(trevisk::mergedSettings(table({}), same), same);
        const auto merged = trevisk::mergedSettings(first, table({{"b", "5"}, {"c", "6"}}));
        QCOMPARE(*merged, *table({{"a", "1"}, {"b", "5"}, {"c", "6"}}));
    }

    void listedRowAndEdit()
    {
        ServerRecord record;
        record.address = QStringLiteral("127.0.0.1:1");
        record.game = QStringLiteral("Quake 3");
        record.option2 = QStringLiteral("memo");
        record.option5 = 1;
        record.manualRefresh = 1;
        const StatusRow listed = listedRow(record);
        QCOMPARE(listed.server, QStringLiteral("memo"));
        QCOMPARE(listed.emailNotify, 1);
        QCOMPARE(listed.manRef, QStringLiteral("1"));
        QVERIFY(!listed.name && !listed.timeOutCount && listed.state == ServerState::Waiting);
        StatusRow row = answeredRow();
        record.address = QStringLiteral("127.0.0.1:2");
        record.option2.reset();
        relist(row, record);
        QCOMPARE(row.address, QStringLiteral("127.0.0.1:2"));
        QCOMPARE(row.server, QString());
        QCOMPARE(row.name, answeredRow().name);
    }
};

QTEST_GUILESS_MAIN(TestStatusRules)
#include "TestStatusRules.moc"
