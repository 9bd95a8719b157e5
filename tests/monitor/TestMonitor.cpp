#include "MonitorFixture.h"
#include "core/Translations.h"
#include "query/engines/HalfLifeProtocol.h"
#include "support/RawUdpServer.h"
#include "support/TestFiles.h"

using namespace trevisk;

namespace {

SimPlayer player(const char* name)
{
    return SimPlayer{name, 1, 50, 0};
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    void listBuildQueriesEveryServerAtOnce()
    {
        MonitorFixture f;
        QList<std::shared_ptr<QSignalSpy>> requests;
        for (const char* game : {"Quake 3", "Half Life", "Quake 2"})
            requests << std::make_shared<QSignalSpy>(&f.addServer(QString::fromLatin1(game)),
                                                     &SimServer::requestReceived);
        f.context.stores.servers.rows[1].tray = 2;
        f.context.stores.servers.rows[2].tray = 1;
        f.start();
        QCOMPARE(f.monitor->queryObjectCount(), 3);
        QStringList listed;
        for (const StatusRow& row : f.monitor->status().rows())
            listed << row.address;
        QCOMPARE(listed, (QStringList{f.servers[0]->address(), f.servers[1]->address(), f.servers[2]->address()}));
        for (const auto& spy : requests)
            QTRY_VERIFY(!spy->isEmpty());
        // Tray 2 waits for AllTray; tray 1 always gets its window.
        QCOMPARE(f.windows.shown, QStringList{f.servers[2]->address()});
    }

    // A delete asks, closes the window, drops the custom text and saves; the freed query object
    // serves the next server added, without the last one's results.
    void deleteSavesAndTheFreedObjectStartsClean()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        f.addServer(QStringLiteral("Quake 3"));
        SimServer& second = f.addServer(QStringLiteral("Quake 3"), 0);
        second.state().players = {player("bob")};
        f.addServer(QStringLiteral("Quake 3"));
        f.context.stores.custEmail.rows = {{second.address(), QStringLiteral("gone"), {}}};
        f.start();
        QVERIFY(f.settle());
        QCOMPARE(f.logged.size(), 1);
        ServerQuery* object = &f.query(second);
        f.prompter.answers << Prompter::Answer::Yes;
        f.monitor->delServer(second.address());
        QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Are you sure you want to delete this server?")});
        QCOMPARE(f.monitor->status().rowCount(), 2);
        QVERIFY(!f.monitor->queryFor(second.address()));
        QCOMPARE(f.windows.closed, QStringList{second.address()});
        QVERIFY(f.context.stores.custEmail.rows.empty());
        Stores reread(f.dir.path());
        RecordingReporter reporter;
        reread.loadAll(reporter);
        QCOMPARE(reread.servers.rows.size(), size_t(2));
        QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("custemail.dat"))));

        SimServer next(SimServerState::forGame(QStringLiteral("Quake 3"), 9));
        QVERIFY(next.start());
        f.setAnswering(next, false);
        f.listServer(next.address(), QStringLiteral("Quake 3"));
        f.windows.dialogAnswer = QStringLiteral(" ") + next.address() + QStringLiteral(" ");
        f.monitor->addServer();
        QCOMPARE(&f.query(next), object);
        QCOMPARE(f.monitor->queryObjectCount(), 3);
        QCOMPARE(f.monitor->status().rowCount(), 3);
        QSignalSpy timeOuts(object, &ServerQuery::timeOut);
        QVERIFY(timeOuts.wait(3000));
        QCOMPARE(f.row(next).name, std::optional<QString>(QString()));
        QCOMPARE(f.row(next).friends, std::optional<qint32>(0));
        QVERIFY(f.query(next).friends().isEmpty());
        QCOMPARE(f.logged.size(), 1);
    }

    void editMovesTheRowAndKeepsItsState()
    {
        MonitorFixture f;
        SimServer& old = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        f.monitor->updateJoin(old.address());
        const QString name = *f.row(old).name;

        SimServer moved(SimServerState::forGame(QStringLiteral("Quake 3"), 7));
        QVERIFY(moved.start());
        f.windows.duringDialog = [&] {
            f.context.stores.servers.rows[0].address = moved.address();
            f.context.stores.servers.rows[0].memo = QStringLiteral("memo");
        };
        f.windows.dialogAnswer = moved.address();
        QSignalSpy requests(&moved, &SimServer::requestReceived);
        f.monitor->editServer(old.address());
        QVERIFY(!f.monitor->status().find(old.address()));
        const StatusRow* row = f.monitor->status().find(moved.address());
        QVERIFY(row);
        QCOMPARE(row->name, std::optional<QString>(name));
        QCOMPARE(row->memo, QStringLiteral("memo"));
        QCOMPARE(row->autoJoin, true);
        QCOMPARE(f.monitor->queryObjectCount(), 1);
        QVERIFY(requests.wait(3000));
    }

    void firstAnswerRules()
    {
        MonitorFixture f;
        f.context.settings.soundEnable.fill(QStringLiteral("1"));
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 5);
        server.state().map = "q3dm17";
        f.context.stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), QStringLiteral("dm17"), {}}};
        const QString wave = f.dir.filePath(QStringLiteral("sounds/5.wav"));
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("sounds")) && writeFile(wave));
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        QCOMPARE(f.logged, QStringList{name + QStringLiteral(" is running your favorite map: q3dm17")});
        QCOMPARE(f.sound.played, QStringList{wave});
        QCOMPARE(f.row(server).lastPlayers, std::optional<qint32>(5));

        // Empty, then two players: one "has become active", which is never logged.
        server.state().players.clear();
        QVERIFY(f.refresh(server));
        server.state().players = {player("a"), player("b")};
        QVERIFY(f.refresh(server));
        QCOMPARE(f.popped.last(), name + QStringLiteral(" has become active with players..."));
        QCOMPARE(f.logged.size(), 1);
    }

    void backOnlineWinsOverBecameActive()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        QCOMPARE(f.row(server).timeOutCount, std::optional<qint32>(2));
        QVERIFY(f.row(server).offline);
        QVERIFY(!f.row(server).ping.has_value());
        f.setAnswering(server, true);
        server.state().players = {player("a"), player("b")};
        QVERIFY(f.refresh(server));
        const QStringList events{name + QStringLiteral(" has gone offline!"),
                                 name + QStringLiteral(" is back online!")};
        QCOMPARE(f.logged, events);
        QCOMPARE(f.popped, events);
        QVERIFY(!f.row(server).offline);
        QCOMPARE(f.row(server).timeOutCount, std::optional<qint32>(0));
        QCOMPARE(f.windows.timeOuts.size(), 2);

        // History: the silent cycles have neither ping nor players.
        const auto points = f.monitor->history().pointsOf(server.address());
        QCOMPARE(points.size(), size_t(4));
        QCOMPARE(points[1].ping, qint16(-1));
        QCOMPARE(points[1].players, qint16(-1));
        QCOMPARE(points[3].players, qint16(2));

        // In German the pop-up reads German and the log line stays English.
        Translations::load(QLocale(QLocale::German));
        const auto english = qScopeGuard([] { Translations::unload(); });
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged.last(), name + QStringLiteral(" has gone offline!"));
        QCOMPARE(f.popped.last(), name + QStringLiteral(" ist offline gegangen!"));
    }

    void friendsComeAndGoInOneNotification()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}, {QString(), {}}, {QStringLiteral("eve"), {}}};
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        server.state().players = {player("Bob"), player("carol"), player("BOBBY")};
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        // The log holds each notification on one line; the pop-up keeps the line breaks.
        QCOMPARE(f.logged, QStringList{QStringLiteral("Bob BOBBY logged onto ") + name});
        QCOMPARE(f.popped, QStringList{QStringLiteral("Bob\r\nBOBBY\r\nlogged onto\r\n") + name});
        QCOMPARE(f.row(server).friends, std::optional<qint32>(2));
        QCOMPARE(f.windows.details.last(),
                 server.address() + QStringLiteral(" friends=2 max=%1").arg(server.state().maxPlayers));

        server.state().players = {player("carol"), player("^1e^7ve")};
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged.mid(1),
                 (QStringList{QStringLiteral("Bob BOBBY logged off from ") + name,
                              QStringLiteral("eve logged onto ") + name}));
        QCOMPARE(f.windows.details.last(),
                 server.address() + QStringLiteral(" friends=1 max=%1").arg(server.state().maxPlayers));
    }

    // An incomplete player list tells nothing about who left.
    void missingDataKeepsTheFriendsSeen()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        RawUdpServer raw;
        raw.autoReply = "\\hostname\\Raw\\numplayers\\1\\maxplayers\\8\\player_0\\bob\\queryid\\1.1\\final\\";
        const QString address = QStringLiteral("127.0.0.1:%1").arg(raw.port() - 1);
        f.listServer(address, QStringLiteral("Unreal Tournament"));
        f.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.logged.size(), 1, 3000);
        ServerQuery& query = *f.monitor->queryFor(address);
        QCOMPARE(query.friends(), QStringList{QStringLiteral("bob")});
        raw.autoReply = "\\hostname\\Raw\\numplayers\\2\\maxplayers\\8\\queryid\\2.1\\final\\";
        QVERIFY(f.refresh(address));
        QCOMPARE(query.friends(), QStringList{QStringLiteral("bob")});
        QCOMPARE(f.logged.size(), 1);
    }

    // Changing only the memo of a server keeps what its query object knows: no friend is
    // announced again, and a time-out right after names the server.
    void editInPlaceKeepsTheResults()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        server.state().players = {player("bob")};
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        QCOMPARE(f.logged, QStringList{QStringLiteral("bob logged onto ") + name});
        f.windows.duringDialog = [&] { f.context.stores.servers.rows[0].memo = QStringLiteral("memo"); };
        f.windows.dialogAnswer = server.address();
        f.monitor->editServer(server.address());
        QCOMPARE(f.row(server).memo, QStringLiteral("memo"));
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged.size(), 1);
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged.last(), name + QStringLiteral(" has gone offline!"));
    }

    // The settings-changed path: what the settings dialog and the list editors call.
    void settingsTakeEffectAtOnce()
    {
        MonitorFixture f;
        f.start();
        f.context.settings.refresh = 90;
        f.context.settings.autoRefreshOff = true;
        f.context.settings.notifyFore = 1;
        f.context.settings.notifyBack = 2;
        f.context.stores.friends.rows = {{QStringLiteral("visor"), {}}};
        f.context.settingsStore->setValue(QStringLiteral("EmailNotify/Email"), QStringLiteral("ops@example.org"));
        QSignalSpy shown(f.popups.get(), &NotificationQueue::showRequested);
        f.monitor->applySettings();
        QCOMPARE(f.monitor->engine().timing().refresh, std::chrono::milliseconds(90000));
        QVERIFY(!f.monitor->engine().scheduleEnabled());
        QVERIFY(f.monitor->engine().friendList().isFriend(QStringLiteral("[X]Visor")));
        QCOMPARE(f.monitor->alertMail().settings().email, QStringLiteral("ops@example.org"));
        f.popups->setMessage(QStringLiteral("text"));
        QCOMPARE(shown.last().at(2).toUInt(), 1u);
        QCOMPARE(shown.last().at(3).toUInt(), 2u);
    }

    // Servers whose answers list no players, or not every player, still show their counts. Half-Life's
    // information answer carries no players: it is no sign of a server that was empty.
    void countsWithoutPlayerRows()
    {
        MonitorFixture f;
        SimServer& nwn = f.addServer(QStringLiteral("Neverwinter Nights"), 5);
        SimServer& unreal = f.addServer(QStringLiteral("Unreal Tournament"), 3);
        SimServer& halfLife = f.addServer(QStringLiteral("Half Life"), 3);
        // A Half-Life server that answers the information request only.
        SimResponder infoOnly(SimServerState::forGame(QStringLiteral("Half Life"), 1, 3));
        RawUdpServer raw;
        raw.autoReply = infoOnly.respond(HalfLifeProtocol().requests().first(), 0x7F000001).first();
        const QString rawAddress = QStringLiteral("127.0.0.1:%1").arg(raw.port());
        f.listServer(rawAddress, QStringLiteral("Half Life"));
        f.start();
        QVERIFY(f.settle());
        QTRY_VERIFY(f.monitor->status().find(rawAddress)->name.has_value());
        QTRY_COMPARE(f.row(halfLife).lastPlayers, std::optional<qint32>(3));
        QVERIFY(f.popped.isEmpty());

        QCOMPARE(f.row(nwn).players, std::optional(QStringLiteral("5/%1").arg(nwn.state().maxPlayers)));
        QCOMPARE(f.row(unreal).players, std::optional(QStringLiteral("3/%1").arg(unreal.state().maxPlayers)));
        const StatusRow& infoRow = *f.monitor->status().find(rawAddress);
        QCOMPARE(infoRow.players, std::optional(QStringLiteral("0/%1").arg(infoOnly.state().maxPlayers)));
        QVERIFY(!infoRow.lastPlayers.has_value());
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "TestMonitor.moc"
