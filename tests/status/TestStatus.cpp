#include "alerts/AlertMail.h"
#include "core/Settings.h"
#include "players/FriendList.h"
#include "status/StatusRules.h"
#include "support/MonitorFixture.h"

#include <QAbstractItemModelTester>

using namespace trevisk;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(12, 0));

// A previous row: "answered" (up, named, on q3dm1 with one player), "empty", "offline" or "fresh"
// (listed, never answered), then "mailed=<minutes ago>" and "nomail" (the server asks for none).
StatusRow previousRow(const QString& description)
{
    const QStringList words = description.split(QLatin1Char(' '));
    const QString& kind = words[0];
    StatusRow row;
    row.game = QStringLiteral("Quake 3");
    if (kind == QLatin1String("fresh"))
        return row;
    row.address = QStringLiteral("127.0.0.1:27960");
    row.name = QStringLiteral("Lab");
    row.map = row.lastMap = QStringLiteral("q3dm1");
    row.lastPlayers = row.playerCount = 1;
    row.maxPlayers = 8;
    row.timeOutCount = 0;
    row.state = ServerState::Up;
    if (kind == QLatin1String("empty")) {
        row.lastPlayers = row.playerCount = 0;
    } else if (kind != QLatin1String("answered")) {
        row.offline = true;
        row.timeOutCount = 2;
        row.state = ServerState::Refused;
    }
    for (const QString& word : words.mid(1)) {
        row.noAlertMail |= word == QLatin1String("nomail");
        if (word.startsWith(QLatin1String("mailed=")))
            row.lastMail = Now.addSecs(-60LL * word.section(QLatin1Char('='), 1).toInt());
    }
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
    bool snoozed = false, quiet = false;

    explicit Inputs(const QString& changes)
    {
        for (const QString& change : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString value = change.section(QLatin1Char('='), 1);
            bool* const flag = change == QLatin1String("popupStatusChange=0")   ? &settings.popupStatusChange
                               : change == QLatin1String("popupActivity=0")     ? &settings.popupActivity
                               : change == QLatin1String("popupFriends=0")      ? &settings.popupFriends
                               : change == QLatin1String("popupFavouriteMap=0") ? &settings.popupFavouriteMap
                               : change == QLatin1String("snoozed")             ? &snoozed
                               : change == QLatin1String("quiet")               ? &quiet
                                                                                : nullptr;
            if (flag)
                *flag = !*flag;
            else if (change == QLatin1String("nofriends"))
                friends = FriendList();
            else if (change.startsWith(QLatin1String("sound=")))
                settings.soundEnable[size_t(value.toInt())] = QStringLiteral("1");
            else if (change.startsWith(QLatin1String("mail="))) {
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

QString number(const std::optional<qint32>& value)
{
    return value ? QString::number(*value) : QStringLiteral("unset");
}

} // namespace

class TestStatus : public QObject
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
            "favourite map, pop-up off, sound on; answered; players=a map=q3dm17; popupFavouriteMap=0 sound=5; "
            "1/8 1 0 no 0; Lab is running your favorite map: q3dm17 [-L 5]",
            "favourite map of another game; answered; players=a map=q3dm17 game=Quake_2; ; 1/8 1 0 no 0; ",
            "a %2 in the name stays; answered; players=a map=q3dm17 name=Lab_%2; ; 1/8 1 0 no 0; "
            "Lab %2 is running your favorite map: q3dm17 [PL -1]",
            "became active: popped up, never logged; empty; players=a,b; sound=4; 2/8 2 0 no 0; "
            "Lab has become active with players... [P- 4]",
            "became active, pop-up off; empty; players=a; popupActivity=0; 1/8 1 0 no 0; "
            "Lab has become active with players... [-- -1]",
            "back online wins over became active; offline mailed=31; players=a,b; sound=1 sound=4; 2/8 2 0 no 0; "
            "Lab is back online! [PL 1]",
            "online, no pop-up; offline; players=a; popupStatusChange=0; 1/8 1 0 no 0; Lab is back online! [-L -1]",
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
            "friend list emptied: one seen stays while there; answered; players=eve friends=eve,zed; nofriends; "
            "1/8 1 0 no 0; zed/logged off from/Lab [PL -1]",
            "incomplete list: nobody seen leaving; answered; players=bob incomplete friends=eve; ; 1/8 1 1 no 0; ",
        };
        addRows({"previous", "answer", "inputs", "row", "events"}, cases);
    }
    void cycle()
    {
        const StatusRow before = previousRow(fetched("previous"));
        CycleResult result;
        PlayerTable players;
        result.lastRefresh = Now;
        result.ping = 40;
        result.playersReceived = true;
        // Words split at spaces, the case's after the defaults; a "_" in a value stands for a space.
        for (const QString& part :
             (QStringLiteral("game=Quake_3 name=Lab map=q3dm1 max=8 ") + fetched("answer")).split(QLatin1Char(' '))) {
            const QString key = part.section(QLatin1Char('='), 0, 0);
            const QString value = part.section(QLatin1Char('='), 1).replace(QLatin1Char('_'), QLatin1Char(' '));
            QString* const field = key == QLatin1String("map")     ? &result.map
                                   : key == QLatin1String("game")  ? &result.game
                                   : key == QLatin1String("name")  ? &result.hostname
                                   : key == QLatin1String("count") ? &result.numPlayers
                                   : key == QLatin1String("max")   ? &result.maxPlayers
                                                                   : nullptr;
            if (field)
                *field = value;
            if (key == QLatin1String("players")) {
                players = playersNamed(value.split(QLatin1Char(','), Qt::SkipEmptyParts));
                result.players = &players;
            } else if (key == QLatin1String("friends"))
                result.friendsPresent = value.split(QLatin1Char(','));
            result.reportsPlayerCount |= key == QLatin1String("count");
            result.playersIncomplete |= key == QLatin1String("incomplete");
            result.playersReceived &= key != QLatin1String("notreceived");
            if (key == QLatin1String("silent"))
                result.lastRefresh = QDateTime();
        }
        const StepOutcome outcome = applyCycle(before, result, Inputs(fetched("inputs")).rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(after.players.value_or(QStringLiteral("unset")) + u' ' + number(after.lastPlayers) + u' '
                     + number(after.friends) + u' ' + QLatin1String(after.offline ? "yes " : "no ")
                     + number(after.timeOutCount),
                 fetched("row"));
        QCOMPARE(describe(outcome.events), fetched("events"));
        QVERIFY(after.name == result.hostname && after.map == result.map && after.lastMap == result.map);
        QCOMPARE(after.answered(), !result.lastRefresh.isNull());
        if (after.answered())
            QVERIFY(after.state == ServerState::Up && after.ping == 40 && !after.lastMail && after.stateReason.isEmpty()
                    && !outcome.quietOutage);
        else // A server that did not answer has no ping, and its state and mail stay as they were.
            QVERIFY(!after.ping && after.state == before.state && after.lastMail == before.lastMail);
        if (result.players && !result.playersIncomplete)
            QVERIFY(!outcome.friendsPresent.contains(QStringLiteral("zed")));
    }

    // A time-out over a previous row: offline and the count, the events, and the mail: "due",
    // "quiet" (the outage stays unmailed) or "-", with the repeat rule's own cases (threshold, the
    // interval in minutes, the server's switch).
    void timeOut_data()
    {
        const char* const cases[] = {
            "goes offline; answered; sound=0; yes 1; Lab has gone offline! [PL 0]; -",
            "goes offline, pop-up off: still logged; answered; popupStatusChange=0; yes 1; Lab has gone offline! [-L "
            "-1]; -",
            "once per outage, and no mail while mail is off; offline; ; yes 3; ; -",
            "never answered: not offline, but counted; fresh; ; no 1; ; -",
            "threshold reached; offline; mail=3/-1; yes 3; ; due",
            "never answered, mailed all the same; fresh; mail=1/-1; no 1; ; due",
            "snoozed: logged only, and quiet after; answered; snoozed sound=0 mail=1/-1; yes 1; "
            "Lab has gone offline! [-L -1]; quiet",
            "snoozed after the mail: not quiet; offline mailed=31; snoozed mail=1/30; yes 3; ; -",
            "an outage begun while snoozed stays unmailed; offline; quiet mail=1/-1; yes 3; ; quiet",
            "the server asks for none; offline nomail; mail=3/-1; yes 3; ; -",
            "below the threshold; offline; mail=4/-1; yes 3; ; -",
            "a threshold that is no number counts as 2; offline; mail=x/-1; yes 3; ; due",
            "mailed in this outage; offline mailed=600; mail=3/-1; yes 3; ; -",
            "interval 0 is once too; offline mailed=600; mail=3/0; yes 3; ; -",
            "interval passed; offline mailed=31; mail=3/30; yes 3; ; due",
            "interval just reached; offline mailed=30; mail=3/30; yes 3; ; -",
        };
        addRows({"previous", "inputs", "row", "events", "mail"}, cases);
    }
    void timeOut()
    {
        const StatusRow before = previousRow(fetched("previous"));
        const TimeOutResult cause{QStringLiteral("Lab"), ServerState::Refused, QStringLiteral("port closed")};
        const StepOutcome outcome = applyTimeOut(before, cause, Inputs(fetched("inputs")).rules());
        const StatusRow& after = outcome.row;
        QCOMPARE(QLatin1String(after.offline ? "yes " : "no ") + number(after.timeOutCount), fetched("row"));
        QVERIFY(after.state == ServerState::Refused && after.stateReason == QStringLiteral("port closed")
                && after.lastMail == before.lastMail);
        QCOMPARE(describe(outcome.events), fetched("events"));
        QCOMPARE(QLatin1String(outcome.mailDue ? "due" : outcome.quietOutage ? "quiet" : "-"), fetched("mail"));
    }

    // Players, whether the list is incomplete, the friends seen before -> present | came on | went off.
    void compareFriends_data()
    {
        const char* const cases[] = {
            "a name containing a friend's, any case; Bob,carol,[X]BOBBY; 0; ; Bob,[X]BOBBY|Bob,[X]BOBBY|",
            "left, and the order kept; eve,bob; 0; bob,zed,eve; bob,eve||zed",
            "a name that changed case is another player; BOB; 0; bob; BOB|BOB|bob",
            "twice on the server, once announced; bob,bob; 0; ; bob|bob|",
            "incomplete: nothing changes; eve; 1; bob; bob||",
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

    void modelAnnouncesExactlyTheChangedRow()
    {
        StatusModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto cell = [&](int row, int column) { return model.data(model.index(row, column)).toString(); };
        const QString a = QStringLiteral("a:1"), b = QStringLiteral("b:1"), c = QStringLiteral("c:1");
        model.reset({statusRow(a), statusRow(b), statusRow(c)});
        QSignalSpy changed(&model, &StatusModel::dataChanged);
        model.update(b, [](StatusRow& row) {
            row.name = QStringLiteral("Lab\x1b]0;x\x07");
            row.answeredAt = QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3));
            row.friends = 1;
        });
        QVERIFY(changed.size() == 1 && changed[0][0].toModelIndex().row() == 1);
        // What the server sent shows on one line, its controls as stand-ins.
        QCOMPARE(cell(1, StatusModel::NameColumn), QStringLiteral("Lab\uFFFD]0;x\uFFFD"));
        // The general date-time form keeps the seconds, and names no time zone.
        QVERIFY(cell(1, StatusModel::AnsweredAtColumn).contains(QStringLiteral("02:03")));
        QCOMPARE(StatusModel::answeredAtText(QDateTime(QDate(2026, 12, 7), QTime(13, 2, 3)),
                                             QLocale(QLocale::English, QLocale::UnitedStates)),
                 QStringLiteral("12/7/26 1:02:03 PM"));
        model.update(c, [](StatusRow& row) { applyBadAnswer(row, QStringLiteral("2 players on a server of 1")); });
        QCOMPARE(cell(2, StatusModel::StateColumn), QStringLiteral("bad answer: 2 players on a server of 1"));
        model.update(c, [](StatusRow& row) {
            row.state = ServerState::Refused;
            row.offline = true;
        });
        QCOMPARE(cell(2, StatusModel::StateColumn), QStringLiteral("offline (refused)"));

        // An edit that moves the address keeps the lookups right.
        const QString moved = QStringLiteral("moved:2");
        model.update(b, [&](StatusRow& row) { row.address = moved; });
        QVERIFY(model.indexOf(moved) == 1 && model.indexOf(b) == -1);
        model.remove(a);
        QVERIFY(model.indexOf(moved) == 0 && model.indexOf(c) == 1);
        // A list reloaded keeps when each server last answered, by address.
        const QDateTime answered(QDate(2026, 12, 7), QTime(1, 2, 3));
        model.update(c, [&](StatusRow& row) { row.lastAnswer = answered; });
        model.reset({statusRow(a), statusRow(c)});
        QVERIFY(model.rows()[0].lastAnswer.isNull() && model.rows()[1].lastAnswer == answered);

        // The header click: one direction flag for every column, players by count then maximum,
        // unset values first ascending and last descending, ties in their previous order.
        std::vector<StatusRow> rows; // address, name, players, maximum; "b" has neither name nor players
        for (const QString& spec :
             QStringLiteral("a delta 4 16|b - - 8|c Alpha 4 8|d charlie 0 16|e bravo 4 8").split(u'|')) {
            const QStringList field = spec.split(u' ');
            StatusRow& row = rows.emplace_back(statusRow(field[0]));
            row.name = field[1] == u'-' ? std::nullopt : std::optional(field[1]);
            row.playerCount = field[2] == u'-' ? std::nullopt : std::optional(field[2].toInt());
            row.maxPlayers = field[3].toInt();
        }
        model.reset(rows);
        QString order;
        for (const int column : {StatusModel::PlayersColumn, StatusModel::PlayersColumn, StatusModel::NameColumn}) {
            model.headerClicked(column);
            for (const StatusRow& row : model.rows())
                order += row.address;
            order += u' ';
        }
        QCOMPARE(order, QStringLiteral("bdcea acedb bceda "));
        QCOMPARE(model.indexOf(QStringLiteral("d")), 3);
    }
};

QTEST_GUILESS_MAIN(TestStatus)
#include "TestStatus.moc"
