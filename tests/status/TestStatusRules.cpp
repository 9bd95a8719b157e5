#include "alerts/AlertMail.h"
#include "core/Settings.h"
#include "players/FriendList.h"
#include "status/StatusRules.h"

#include <QTest>

using namespace trevisk;

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
    row.lastPlayers = row.playerCount = 1;
    row.maxPlayers = 8;
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

// The settings a case changes, over the defaults: "popupStatusChange=0", "sound=5", "snoozed", "quiet", "mail=2/30".
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
            else if (key == QLatin1String("popupStatusChange"))
                settings.popupStatusChange = value.toInt() != 0;
            else if (key == QLatin1String("popupActivity"))
                settings.popupActivity = value.toInt() != 0;
            else if (key == QLatin1String("popupFriends"))
                settings.popupFriends = value.toInt() != 0;
            else if (key == QLatin1String("popupFavouriteMap"))
                settings.popupFavouriteMap = value.toInt() != 0;
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

// Each event as "shown text [P|-][L|-] sound", its line breaks shown as "/", joined by "|".
QString describe(const std::vector<MonitorEvent>& events)
{
    QStringList lines;
    for (const MonitorEvent& event : events) {
        // No translation is loaded here: a shown text unlike the log's is a fault.
        const QString shown = event.shown == event.logged ? event.logged : QStringLiteral("MISMATCH");
        lines << QString(shown).replace(QStringLiteral("\r\n"), QStringLiteral("/")) + QStringLiteral(" [")
                     + QLatin1String(event.popUp ? "P" : "-") + QLatin1String(event.log ? "L" : "-")
                     + QStringLiteral(" %1]").arg(event.sound);
    }
    return lines.join(QLatin1Char('|'));
}

StatusRow previousRow(const QString& kind)
{
    StatusRow row = answeredRow();
    if (kind == QLatin1String("fresh")) {
        row = StatusRow();
        row.game = QStringLiteral("Quake 3");
    } else if (kind == QLatin1String("empty")) {
        row.lastPlayers = row.playerCount = 0;
    } else if (kind != QLatin1String("answered")) {
        row.offline = true;
        row.timeOutCount = 2;
        row.state = ServerState::Refused;
        if (kind == QLatin1String("mailed"))
            row.lastMail = Now.addSecs(-31 * 60);
    }
    return row;
}

QString fetched(const char* column)
{
    return *static_cast<QString*>(QTest::qData(column, qMetaTypeId<QString>()));
}

// A table written as lines: the row's name, then the columns, separated by ";".
void addRows(std::initializer_list<const char*> columns, const auto& cases)
{
    for (const char* column : columns)
        QTest::addColumn<QString>(column);
    for (const char* line : cases) {
        const QStringList fields = QString::fromUtf8(line).split(QLatin1Char(';'));
        QTestData& row = QTest::newRow(qPrintable(fields[0]));
        for (qsizetype i = 1; i < fields.size(); ++i)
            row << fields[i].trimmed();
    }
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
    // One cycle's answer over a previous row ("answered": up, named, one player; "offline"; "empty";
    // "fresh": listed, never answered) with the inputs a case changes: the new row (players,
    // lastPlayers, friends, offline, timeOutCount) and the events, in order.
    void cycle_data()
    {
        const char* const cases[] = {
            "steady; answered; players=a; ; 1/8 1 0 no 0; ",
            "first answer: no activity, a favourite map; fresh; players=a,b map=q3dm17; sound=5; 2/8 2 0 no 0; "
            "Lab is running your favorite map: q3dm17 [PL 5]",
            "favourite map, pop-up off, sound on; answered; players=a map=q3dm17; popupFavouriteMap=0 sound=5; 1/8 1 0 "
            "no 0; "
            "Lab is running your favorite map: q3dm17 [-L 5]",
            "favourite map of another game; answered; players=a map=q3dm17 game=Quake 2; ; 1/8 1 0 no 0; ",
            "a %2 in the name stays; answered; players=a map=q3dm17 name=Lab %2; ; 1/8 1 0 no 0; "
            "Lab %2 is running your favorite map: q3dm17 [PL -1]",
            "became active: popped up, never logged; empty; players=a,b; sound=4; 2/8 2 0 no 0; "
            "Lab has become active with players... [P- 4]",
            "became active, pop-up off; empty; players=a; popupActivity=0; 1/8 1 0 no 0; "
            "Lab has become active with players... [-- -1]",
            "back online wins over became active; mailed; players=a,b; sound=1 sound=4; 2/8 2 0 no 0; "
            "Lab is back online! [PL 1]",
            "back online, pop-up off; offline; players=a; popupStatusChange=0; 1/8 1 0 no 0; Lab is back online! [-L "
            "-1]",
            "snoozed: logged, not popped up, not sounded; offline; players=a map=q3dm17; snoozed sound=1 sound=5; "
            "1/8 1 0 no 0; Lab is running your favorite map: q3dm17 [-L -1]|Lab is back online! [-L -1]",
            "silent cycle: still offline, no ping; offline; players=a silent; ; 1/8 1 0 yes 2; ",
            // Half-Life's first answer carries no players: no sign of a server that was empty.
            "players not received yet; fresh; players= notreceived; ; 0/8 unset 0 no 0; ",
            "no player table; answered; none; ; 0/8 0 0 no 0; ",
            "the engine's own count, rows missing; answered; players= count=5; ; 5/8 0 0 no 0; ",
            "a count that is no number keeps the last; answered; players= count=x max=y; ; x/y 0 0 no 0; ",
            "friends come and go in one event each; answered; players=Bob,carol,BOBBY,eve friends=eve,zed; sound=2; "
            "4/8 4 3 no 0; zed/logged off from/Lab [PL -1]|Bob/BOBBY/logged onto/Lab [PL 2]",
            "friends, pop-up off; answered; players=bob; popupFriends=0; 1/8 1 1 no 0; bob/logged onto/Lab [-L -1]",
            "an incomplete list tells nothing of friends; answered; players=bob incomplete friends=eve; ; "
            "1/8 1 1 no 0; ",
        };
        addRows({"previous", "answer", "inputs", "row", "events"}, cases);
    }
    void cycle()
    {
        QFETCH(QString, previous);
        QFETCH(QString, answer);
        QFETCH(QString, inputs);
        QFETCH(QString, row);
        QFETCH(QString, events);
        StatusRow before = previousRow(previous);
        CycleResult result;
        PlayerTable players;
        result.game = QStringLiteral("Quake 3");
        result.hostname = QStringLiteral("Lab");
        result.map = QStringLiteral("q3dm1");
        result.maxPlayers = QStringLiteral("8");
        result.lastRefresh = Now;
        result.ping = 40;
        result.playersReceived = true;
        // Words split at spaces: "game=Quake 2" and "name=Lab %2" take their second word back below.
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
            result.playersIncomplete |= key == QLatin1String("incomplete");
            result.playersReceived &= key != QLatin1String("notreceived");
            if (key == QLatin1String("silent"))
                result.lastRefresh = QDateTime();
        }
        const Inputs given(inputs);
        const StepOutcome outcome = applyCycle(before, result, given.rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(QStringList({text(after.players),
                              number(after.lastPlayers),
                              number(after.friends),
                              QLatin1String(after.offline ? "yes" : "no"),
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
            QVERIFY(!after.lastMail && after.stateReason.isEmpty() && !outcome.quietOutage);
        } else {
            // A server that did not answer has no ping, and its state and mail stay as they were.
            QVERIFY(!after.ping);
            QCOMPARE(after.state, before.state);
            QCOMPARE(after.lastMail, before.lastMail);
        }
        if (result.players && !result.playersIncomplete)
            QVERIFY(!outcome.friendsPresent.contains(QStringLiteral("zed")));
    }

    // A time-out over a previous row ("mailed": offline, mailed 31 minutes ago): offline and the
    // count, the events, and the mail: "due", "quiet" (the outage stays unmailed) or "-". The repeat
    // rule's own cases are alertMailDue's.
    void timeOut_data()
    {
        const char* const cases[] = {
            "goes offline; answered; sound=0; yes 1; Lab has gone offline! [PL 0]; -",
            "goes offline, pop-up off: still logged; answered; popupStatusChange=0; yes 1; Lab has gone offline! [-L "
            "-1]; -",
            "once per outage; offline; ; yes 3; ; -",
            "never answered: not offline, but counted; fresh; ; no 1; ; -",
            "threshold reached; offline; mail=3/-1; yes 3; ; due",
            "never answered, mailed all the same; fresh; mail=1/-1; no 1; ; due",
            "snoozed: logged only, and quiet after; answered; snoozed sound=0 mail=1/-1; yes 1; "
            "Lab has gone offline! [-L -1]; quiet",
            "snoozed after the mail: not quiet; mailed; snoozed mail=1/30; yes 3; ; -",
            "an outage begun while snoozed stays unmailed; offline; quiet mail=1/-1; yes 3; ; quiet",
        };
        addRows({"previous", "inputs", "row", "events", "mail"}, cases);
    }
    void timeOut()
    {
        QFETCH(QString, previous);
        QFETCH(QString, inputs);
        QFETCH(QString, row);
        QFETCH(QString, events);
        QFETCH(QString, mail);
        const StatusRow before = previousRow(previous);
        const Inputs given(inputs);
        const StepOutcome outcome = applyTimeOut(
            before, {QStringLiteral("Lab"), ServerState::Refused, QStringLiteral("port closed")}, given.rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(QStringLiteral("%1 %2").arg(QLatin1String(after.offline ? "yes" : "no"), number(after.timeOutCount)),
                 row);
        QCOMPARE(after.state, ServerState::Refused);
        QCOMPARE(after.stateReason, QStringLiteral("port closed"));
        QCOMPARE(after.lastMail, before.lastMail);
        QCOMPARE(describe(outcome.events), events);
        QCOMPARE(QLatin1String(outcome.mailDue ? "due" : outcome.quietOutage ? "quiet" : "-"), mail);
    }

    // The repeat rule alone, and the switches that keep any mail from going: on, the server's own
    // switch, the threshold as stored, the interval, minutes since the last mail (-1: none) -> due.
    void alertMailDue_data()
    {
        const char* const cases[] = {
            "at the threshold; 1; 0; 3; -1; -1; 1",
            "off; 0; 0; 3; -1; -1; 0",
            "the server asks for none; 1; 1; 3; -1; -1; 0",
            "below the threshold; 1; 0; 4; -1; -1; 0",
            "a threshold that is no number counts as 2; 1; 0; x; -1; -1; 1",
            "once per outage; 1; 0; 3; -1; 600; 0",
            "interval 0 is once too; 1; 0; 3; 0; 600; 0",
            "interval passed; 1; 0; 3; 30; 31; 1",
            "interval just reached; 1; 0; 3; 30; 30; 0",
        };
        addRows({"enabled", "noMail", "timeOuts", "interval", "mailedAgo", "due"}, cases);
    }
    void alertMailDue()
    {
        const auto value = [](const char* column) { return fetched(column).toInt(); };
        EmailSettings settings;
        settings.enabled = value("enabled") == 1;
        settings.timeOuts = fetched("timeOuts");
        settings.interval = qint16(value("interval"));
        StatusRow row = answeredRow();
        row.timeOutCount = 3;
        row.noAlertMail = value("noMail");
        if (value("mailedAgo") >= 0)
            row.lastMail = Now.addSecs(-60LL * value("mailedAgo"));
        QCOMPARE(trevisk::alertMailDue(settings, row, Now), value("due") == 1);
    }

    // Players, whether the list is incomplete, the friends seen before -> present | came on | went off.
    void compareFriends_data()
    {
        const char* const cases[] = {
            "a name containing a friend's, any case; Bob,carol,[X]BOBBY; 0; ; Bob,[X]BOBBY|Bob,[X]BOBBY|",
            "seen before: no event; bob; 0; bob; bob||",
            "left, and the order kept; eve,bob; 0; bob,zed,eve; bob,eve||zed",
            "a name that changed case is another player; BOB; 0; bob; BOB|BOB|bob",
            "twice on the server, once announced; bob,bob; 0; ; bob|bob|",
            "incomplete: nothing changes; eve; 1; bob; bob||",
            "no friends among them; carol; 0; ; ||",
        };
        addRows({"players", "incomplete", "present", "changes"}, cases);
    }
    void compareFriends()
    {
        const auto list = [](const char* column) {
            return fetched(column).split(QLatin1Char(','), Qt::SkipEmptyParts);
        };
        const FriendList friends({QStringLiteral("bob"), QString(), QStringLiteral("eve")});
        const FriendChanges found = trevisk::compareFriends(
            playersNamed(list("players")), fetched("incomplete") == QLatin1String("1"), list("present"), friends);
        const QString comma = QStringLiteral(",");
        QCOMPARE(QStringList({found.present.join(comma), found.cameOn.join(comma), found.wentOff.join(comma)})
                     .join(QLatin1Char('|')),
                 fetched("changes"));
    }
};

QTEST_GUILESS_MAIN(TestStatusRules)
#include "TestStatusRules.moc"
