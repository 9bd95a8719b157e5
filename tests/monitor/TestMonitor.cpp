#include "core/Translations.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/StatusTable.h"
#include "notify/SmtpTestServer.h"
#include "support/MonitorFixture.h"
#include "support/RawUdpServer.h"

#include <QTcpServer>

using namespace trevisk;

namespace {

const QString Q3 = QStringLiteral("Quake 3");

// Bob, a friend, on a listed server of no other players.
SimServer& addBobsServer(MonitorFixture& f, std::vector<SimPlayer> players = {{"bob", 1, 50, 0}})
{
    f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
    SimServer& server = f.addServer(Q3, 0);
    server.state().players = std::move(players);
    return server;
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    // Every listed server is asked at start, and the settings-changed path (what the settings dialog
    // and the list editors call) takes effect at once. A closed port is a time-out at once (one that
    // never answered is still not reported offline); a bad answer is neither up nor down: no alert, no
    // count, and nothing of it in the row. An incomplete player list tells nothing about who left.
    void listBuildQueriesEveryServerAtOnce()
    {
        MonitorFixture f;
        for (const char* game : {"Quake 3", "Half Life", "Quake 2", "Quake 3"})
            f.addServer(QString::fromLatin1(game));
        f.context.stores.servers.rows[1].tray = 2;
        f.context.stores.servers.rows[2].tray = 1;
        SimServer& never = *f.servers[3];
        never.stop();
        RawUdpServer garbage, raw;
        garbage.autoReply = QByteArray(1, '\0');
        f.listServer(garbage.address(), Q3);
        raw.autoReply = "\\hostname\\Raw\\numplayers\\1\\maxplayers\\8\\player_0\\bob\\queryid\\1.1\\final\\";
        const QString unreal = QStringLiteral("127.0.0.1:%1").arg(raw.port() - 1);
        f.listServer(unreal, QStringLiteral("Unreal Tournament"));
        f.start();
        QCOMPARE(f.monitor->queryObjectCount(), 6);
        for (size_t i = 0; i < 4; ++i)
            QCOMPARE(f.monitor->status().rows()[i].address, f.servers[i]->address());
        QVERIFY(f.settle()); // every server asked without a refresh
        // Tray 2 waits for AllTray; tray 1 always gets its window.
        QCOMPARE(f.windows.shown, QStringList{f.servers[2]->address()});
        QTRY_COMPARE(f.monitor->status().find(garbage.address())->state, ServerState::BadAnswer);
        const StatusRow& bad = *f.monitor->status().find(garbage.address());
        QVERIFY(!bad.timeOutCount && !bad.offline && !bad.name && !bad.players);
        QCOMPARE(bad.stateReason, QStringLiteral("not a Quake 3 server's answer (1 bytes)"));
        QVERIFY(f.row(never).state == ServerState::Refused && f.row(never).timeOutCount == 1 && !f.row(never).offline);
        QVERIFY(f.monitor->history().pointsOf(garbage.address()).front().ping < 0);
        QVERIFY(f.logged.isEmpty());

        AppSettings& settings = f.context.settings;
        settings.refresh = 90;
        settings.autoRefreshOff = true;
        settings.notifyFore = 1;
        settings.notifyBack = 2;
        f.context.stores.friends.rows = {{QStringLiteral("visor"), {}}};
        f.context.settingsStore->setValue(QStringLiteral("EmailNotify/Email"), QStringLiteral("ops@example.org"));
        QSignalSpy shown(f.popups.get(), &NotificationQueue::showRequested);
        f.monitor->applySettings();
        const QueryEngine& engine = f.monitor->engine();
        QVERIFY(engine.timing().refresh == std::chrono::milliseconds(90000) && !engine.scheduleEnabled());
        QVERIFY(engine.friendList().isFriend(QStringLiteral("[X]Visor")));
        QCOMPARE(f.monitor->alertMail().settings().email, QStringLiteral("ops@example.org"));
        f.popups->setMessage(QStringLiteral("text"));
        QCOMPARE(shown.last().mid(2), (QVariantList{1u, 2u}));

        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        f.monitor->applySettings();
        QVERIFY(f.refresh(unreal));
        QCOMPARE(f.logged, QStringList{QStringLiteral("bob logged onto Raw")});
        raw.autoReply = "\\hostname\\Raw\\numplayers\\2\\maxplayers\\8\\queryid\\2.1\\final\\";
        QVERIFY(f.refresh(unreal));
        QCOMPARE(f.logged.size(), 1);
    }

    // The running monitor reads a snooze set from outside. A delete asks, closes the window, drops
    // the custom text and the snooze (so that listing the server again starts with alerts on) and
    // saves; the freed query object serves the next server added, without the last one's results.
    void deleteSavesAndTheFreedObjectStartsClean()
    {
        MonitorFixture f;
        f.addServer(Q3);
        SimServer& second = addBobsServer(f);
        f.addServer(Q3);
        const QString address = second.address();
        f.context.stores.custEmail.rows = {{address, QStringLiteral("gone"), {}}};
        f.start();
        QVERIFY(f.settle());
        QCOMPARE(f.logged.size(), 1);
        AlertSnooze outside(f.dir.filePath(QString::fromLatin1(SnoozeFile)));
        QVERIFY(outside.snooze(address, SnoozeLength::UntilResumed, f.clock.now()).isEmpty());
        QTRY_VERIFY(f.monitor->alertsSnoozed(address));
        QStringList out;
        HeadlessOutput(
            *f.log, *f.monitor, [&](const QString& line) { out << line; }, [](const QString&) {})
            .printStatus();
        QCOMPARE(out.last().section(QLatin1Char('\n'), -1),
                 QStringLiteral("Alerts snoozed: %1 (until turned back on)").arg(address));
        QVERIFY(outside.resume(address).isEmpty());
        QTRY_VERIFY(!f.monitor->alertsSnoozed(address));
        QVERIFY(f.monitor->snoozeAlerts(address, SnoozeLength::UntilResumed).isEmpty());

        ServerQuery* object = &f.query(second);
        f.prompter.answers << Prompter::Answer::Yes;
        f.monitor->delServer(address);
        QVERIFY(outside.load().isEmpty() && !outside.isSnoozed(address, f.clock.now()));
        QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Are you sure you want to delete this server?")});
        QVERIFY(f.monitor->status().rowCount() == 2 && !f.monitor->queryFor(address));
        QVERIFY(f.windows.closed == QStringList{address} && f.context.stores.custEmail.rows.empty());
        Stores reread(f.dir.path());
        reread.loadAll(f.reporter);
        QCOMPARE(reread.servers.rows.size(), size_t(2));
        QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("custemail.dat"))));

        // A closed port: the first cycle ends at once.
        const QString next = QStringLiteral("127.0.0.1:%1").arg(closedPort());
        f.listServer(next, Q3);
        f.windows.dialogAnswer = QStringLiteral(" ") + next + QStringLiteral(" ");
        f.monitor->addServer();
        QVERIFY(f.monitor->queryFor(next) == object && f.monitor->queryObjectCount() == 3);
        QCOMPARE(f.monitor->status().rowCount(), 3);
        QVERIFY(QSignalSpy(object, &ServerQuery::timeOut).wait(3000));
        const StatusRow& row = *f.monitor->status().find(next);
        QVERIFY(row.name == QString() && row.friends == 0);
        QCOMPARE(f.logged.size(), 1);
    }

    // An edit of the memo alone keeps what the query object knows: no friend is announced again, and
    // a time-out names the server. An edit that moves the address keeps the row's state and object.
    // A new list (an import) stops what is gone, restarts what changed game, and switches schedules
    // in place.
    void editsAndNewListsKeepTheRows()
    {
        MonitorFixture f;
        SimServer& old = addBobsServer(f);
        SimServer& removed = f.addServer(Q3);
        SimServer& regamed = f.addServer(Q3);
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(old).name;
        f.windows.duringDialog = [&] { f.context.stores.servers.rows[0].memo = QStringLiteral("memo"); };
        f.windows.dialogAnswer = old.address();
        f.monitor->editServer(old.address());
        QCOMPARE(f.row(old).memo, QStringLiteral("memo"));
        QVERIFY(f.refresh(old) && f.refreshAnswering(old, false));
        QCOMPARE(f.logged,
                 (QStringList{QStringLiteral("bob logged onto ") + name, name + QStringLiteral(" has gone offline!")}));

        f.monitor->updateJoin(old.address());
        SimServer moved(SimServerState::forGame(Q3, 7));
        QVERIFY(moved.start());
        f.windows.duringDialog = [&] { f.context.stores.servers.rows[0].address = moved.address(); };
        f.windows.dialogAnswer = moved.address();
        QSignalSpy requests(&moved, &SimServer::requestReceived);
        f.monitor->editServer(old.address());
        QVERIFY(!f.monitor->status().find(old.address()) && f.monitor->queryObjectCount() == 3);
        const StatusRow* row = f.monitor->status().find(moved.address());
        QVERIFY(row && row->name == name && row->memo == QStringLiteral("memo") && row->autoJoin);
        QVERIFY(requests.wait(3000));

        f.setAnswering(old, true); // no longer listed: back to the long time-out
        ServerQuery* keptQuery = f.monitor->queryFor(moved.address());
        ServerQuery* regamedQuery = &f.query(regamed);
        QSignalSpy removedRequests(&removed, &SimServer::requestReceived);
        auto& rows = f.context.stores.servers.rows;
        rows[0].manualRefresh = false;
        rows[2].game = QStringLiteral("Quake 2");
        rows.erase(rows.begin() + 1);
        f.monitor->updateList();
        QVERIFY(f.monitor->status().rowCount() == 2 && !f.monitor->queryFor(removed.address()));
        QVERIFY(f.monitor->queryFor(moved.address()) == keptQuery && !keptQuery->manualRefresh());
        QVERIFY(f.monitor->queryFor(regamed.address()) == regamedQuery
                && regamedQuery->game() == QLatin1String("Quake 2"));
        QCOMPARE(f.windows.closed, QStringList{removed.address()});
        f.monitor->refreshAll();
        QVERIFY(f.refresh(moved.address()));
        QCOMPARE(removedRequests.size(), 0);
    }

    // One walk through sockets for each kind of dispatch: the log (one line, English), the pop-up
    // (line breaks kept, translated), the sound, the details window, the grid's time-out and the history.
    void eventsReachEveryListener()
    {
        MonitorFixture f;
        const QString wave = f.enableSound(SoundOffline);
        SimServer& server = addBobsServer(f, {{"Bob", 1, 50, 0}, {"carol", 1, 50, 0}, {"BOBBY", 1, 50, 0}});
        const QString details = server.address() + QStringLiteral(" friends=%1 max=%2");
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        QCOMPARE(f.logged, QStringList{QStringLiteral("Bob BOBBY logged onto ") + name});
        QCOMPARE(f.popped, QStringList{QStringLiteral("Bob\r\nBOBBY\r\nlogged onto\r\n") + name});
        QCOMPARE(f.row(server).friends, 2);
        QCOMPARE(f.windows.details.last(), details.arg(2).arg(server.state().maxPlayers));

        server.state().players = {{"carol", 1, 50, 0}};
        QVERIFY(f.refreshAnswering(server, false) && f.refresh(server));
        QVERIFY(f.row(server).timeOutCount == 2 && f.windows.timeOuts.size() == 2);
        QCOMPARE(f.sound.played, QStringList{wave});
        QVERIFY(f.refreshAnswering(server, true));
        QCOMPARE(f.logged.mid(1),
                 (QStringList{name + QStringLiteral(" has gone offline!"),
                              QStringLiteral("Bob BOBBY logged off from ") + name,
                              name + QStringLiteral(" is back online!")}));
        QCOMPARE(f.popped.last(), name + QStringLiteral(" is back online!"));
        QCOMPARE(f.windows.details.last(), details.arg(0).arg(server.state().maxPlayers));
        // The silent cycles have neither ping nor players.
        QString points;
        for (const auto& point : f.monitor->history().pointsOf(server.address()))
            points += QStringLiteral("%1 %2,").arg(point.ping < 0 ? point.ping : 1).arg(point.players);
        QCOMPARE(points, QStringLiteral("1 3,-1 -1,-1 -1,1 1,"));

        // In German the pop-up reads German and the log line stays English.
        Translations::load(QLocale(QLocale::German));
        const auto english = qScopeGuard([] { Translations::unload(); });
        QVERIFY(f.refreshAnswering(server, false));
        QCOMPARE(f.logged.last(), name + QStringLiteral(" has gone offline!"));
        QCOMPARE(f.popped.last(), name + QStringLiteral(" ist offline gegangen!"));
    }

    // The rules' mail goes to the relay, once per outage. A snoozed server's outage is logged only,
    // and stays unannounced after the snooze ends; the next one is mailed.
    void alertMailOncePerOutage()
    {
        SmtpTestServer smtp({});
        QVERIFY(smtp.isReady());
        MonitorFixture f;
        f.setEmail(smtp.address());
        SimServer& server = f.addServer(Q3);
        f.setAnswering(f.addServer(Q3), false);
        f.context.stores.servers.rows[1].noAlertMail = true; // sends none
        f.start();
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QSignalSpy sent(f.monitor.get(), &Monitor::alertMailSent);
        QVERIFY(f.settle());
        QVERIFY(f.monitor->snoozeAlerts(server.address(), SnoozeLength::OneHour).isEmpty());
        QVERIFY(f.refreshAnswering(server, false));
        QCOMPARE(f.logged.filter(QStringLiteral("has gone offline!")).size(), 1);
        f.clock.advanceSecs(3601);
        QVERIFY(!f.monitor->alertsSnoozed(server.address()) && f.refresh(server));
        QVERIFY(f.popped.isEmpty());

        QVERIFY(f.refreshAnswering(server, true) && f.refreshAnswering(server, false));
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 5000);
        QVERIFY(SmtpTestServer::data(*smtp.nextMessage()).contains(*f.row(server).name));
        QVERIFY(f.row(server).lastMail.has_value() && f.refresh(server));
        QCOMPARE(started.size(), 1);
    }

    // A relay that takes the connection and never answers keeps two mails running; the
    // alerts behind them wait, and go when their servers are deleted.
    void deletedServersDropTheirWaitingAlerts()
    {
        QTcpServer relay;
        QVERIFY(relay.listen(QHostAddress::LocalHost));
        MonitorFixture f;
        f.setEmail(QStringLiteral("127.0.0.1:%1").arg(relay.serverPort()));
        for (int i = 0; i < 3; ++i)
            f.setAnswering(f.addServer(Q3), false);
        f.start();
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QVERIFY(f.settle());
        QTRY_COMPARE(started.size(), 3);
        QCOMPARE(f.monitor->alertMail().waiting(), 1);
        f.prompter.answers = QList<Prompter::Answer>(3, Prompter::Answer::Yes);
        for (const auto& server : f.servers)
            f.monitor->delServer(server->address());
        QVERIFY(f.monitor->alertMail().waiting() == 0 && f.monitor->status().rowCount() == 0);
    }

    // The monitor counts each cycle once (Half-Life answers twice a cycle), keeps the counts across a
    // restart and shows them in the headless table.
    void monitorCountsCycles()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Half Life"));
        f.start();
        // The first answer carries no players: no sign of a server that was empty, so no activity.
        QVERIFY(f.settle() && f.popped.isEmpty());
        // Both answers of each cycle are in before the next cycle starts.
        QTRY_VERIFY(f.query(server).playersReceived() && !f.row(server).name.value_or(QString()).isEmpty());
        for (int i = 0; i < 2; ++i) {
            QSignalSpy updates(&f.query(server), &ServerQuery::serverUpdate);
            f.monitor->refreshServer(server.address());
            QTRY_COMPARE(updates.size(), 2);
        }
        QVERIFY(f.refreshAnswering(server, false));
        // Three cycles answered (the first and two refreshes) of four.
        QCOMPARE(f.monitor->uptime(server.address()).day, std::optional(0.75));
        const QString table = formatStatusTable(f.monitor->status(), &f.monitor->uptimeLog(), f.clock.now());
        QVERIFY2(table.contains(QStringLiteral(" 75.0%  75.0%  75.0% ")), qPrintable(table));

        // The hour's turn writes the file; the next monitor reads it.
        f.clock.advanceSecs(3600);
        QVERIFY(f.refresh(server) && QFile::exists(f.dir.filePath(QString::fromLatin1(UptimeFile))));
        f.monitor.reset();
        f.start();
        QCOMPARE(f.monitor->uptime(server.address()).day, std::optional(0.6));
    }
};

QTEST_MAIN(TestMonitor)
#include "TestMonitor.moc"
