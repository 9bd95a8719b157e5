#include "MonitorFixture.h"
#include "notify/SmtpTestServer.h"
#include "support/RawUdpServer.h"

#include <QJsonArray>
#include <QTcpServer>

using namespace trevisk;

namespace {

// "Join Anyways" on a full server: the launch comes at once, without asking the server first.
void joinAnyways(MonitorFixture& f, const QString& address, const QString& game)
{
    f.prompter.choices << 1;
    f.monitor->autoJoin().join(false, address, game, {1, 1});
}

} // namespace

class TestAlertsAndJoin : public QObject
{
    Q_OBJECT
private slots:
    // Mail at the threshold, once per outage with "Only Once", again after an answer.
    void alertOncePerOutage()
    {
        SmtpTestServer smtp({});
        QVERIFY(smtp.isReady());
        MonitorFixture f;
        f.setEmail(smtp.address(), 3, -1);
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QSignalSpy sent(f.monitor.get(), &Monitor::alertMailSent);
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        QCOMPARE(started.size(), 0);
        QVERIFY(f.refresh(server));
        QCOMPARE(started.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 5000);
        const auto message = smtp.nextMessage();
        QVERIFY(message);
        QCOMPARE(message->value(QStringLiteral("rcpt_tos")).toArray().first().toString(),
                 QStringLiteral("ops@example.org"));
        const QString data = SmtpTestServer::data(*message);
        QVERIFY(data.contains(QStringLiteral("SUBJECT: ALERT: Server: ") + name + QStringLiteral(" has timed out!")));
        QVERIFY(data.contains(QStringLiteral("Server: ") + name + QStringLiteral("\r\nAddress: ") + server.address()
                              + QStringLiteral("\r\nGame: Quake 3\r\nTimeOuts: 3\r\nState: no answer\r\n\r\n")
                              + QStringLiteral("This is an automated message, do not reply!")));
        QVERIFY(f.row(server).lastMail.has_value());
        f.clock.advanceSecs(3600);
        QVERIFY(f.refresh(server));
        QCOMPARE(started.size(), 1);

        f.setAnswering(server, true);
        QVERIFY(f.refresh(server));
        QVERIFY(!f.row(server).lastMail.has_value());
        f.setAnswering(server, false);
        for (int i = 0; i < 3; ++i)
            QVERIFY(f.refresh(server));
        QCOMPARE(started.size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 2, 5000);
    }

    // A closed port is a time-out at once, counted toward the threshold, and the mail says it was
    // refused; one that never answered is still not reported offline. A bad answer is neither up
    // nor down: no alert, no count, and nothing of it in the row.
    void refusedAndBadAnswersInTheMonitor()
    {
        SmtpTestServer smtp({});
        QVERIFY(smtp.isReady());
        MonitorFixture f;
        f.setEmail(smtp.address(), 2, -1);
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        SimServer& never = f.addServer(QStringLiteral("Quake 3"));
        never.stop();
        RawUdpServer garbage;
        garbage.autoReply = QByteArray(1, '\0');
        f.listServer(garbage.address(), QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        QTRY_COMPARE(f.monitor->status().find(garbage.address())->state, ServerState::BadAnswer);
        const StatusRow& bad = *f.monitor->status().find(garbage.address());
        QVERIFY(!bad.timeOutCount && !bad.offline && !bad.name && !bad.players);
        QCOMPARE(bad.stateReason, QStringLiteral("not a Quake 3 server's answer (1 bytes)"));
        QCOMPARE(f.row(never).state, ServerState::Refused);
        QCOMPARE(f.row(never).timeOutCount, 1);
        QVERIFY(!f.row(never).offline);

        const QString name = *f.row(server).name;
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QSignalSpy sent(f.monitor.get(), &Monitor::alertMailSent);
        server.stop();
        QVERIFY(f.refresh(server));
        QCOMPARE(f.row(server).state, ServerState::Refused);
        QVERIFY(f.row(server).offline);
        QVERIFY(f.logged.contains(name + QStringLiteral(" has gone offline!")));
        QVERIFY(f.refresh(server));
        QCOMPARE(f.row(server).timeOutCount, 2);
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 5000);
        const auto message = smtp.nextMessage();
        QVERIFY(message);
        const QString data = SmtpTestServer::data(*message);
        QVERIFY(data.contains(QStringLiteral("SUBJECT: ALERT: Server: ") + name
                              + QStringLiteral(" has timed out (refused)!")));
        QVERIFY(data.contains(QStringLiteral("TimeOuts: 2\r\nState: refused (nothing listens at its port)")));
        QCOMPARE(started.size(), 1);
        QVERIFY(!f.logged.join(QLatin1Char('|')).contains(garbage.address()));
    }

    void repeatAfterTheInterval()
    {
        SmtpTestServer smtp({});
        MonitorFixture f;
        f.setEmail(smtp.address(), 2, 30);
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        f.setAnswering(server, false);
        f.context.stores.custEmail.rows = {{server.address(), QStringLiteral("  \t "), {}}};
        f.start();
        QSignalSpy mailed(f.monitor.get(), &Monitor::alertMailSent);
        QVERIFY(f.settle());
        QVERIFY(f.refresh(server));
        QTRY_COMPARE_WITH_TIMEOUT(mailed.size(), 1, 5000);
        // A server that never answered is not reported offline, but it is mailed about, named by its
        // address; a blank custom text is not used.
        QVERIFY(!f.row(server).offline);
        QVERIFY(f.logged.isEmpty() && f.popped.isEmpty());
        const QString data = SmtpTestServer::data(*smtp.nextMessage());
        QVERIFY(data.contains(QStringLiteral("SUBJECT: ALERT: Server: ") + server.address()
                              + QStringLiteral(" has timed out!")));
        QVERIFY(data.contains(QStringLiteral("TimeOuts: 2")));
        f.clock.advanceSecs(29 * 60);
        QVERIFY(f.refresh(server));
        f.clock.advanceSecs(2 * 60);
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QVERIFY(f.refresh(server));
        QCOMPARE(started.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(mailed.size(), 2, 5000);
        QVERIFY(SmtpTestServer::data(*smtp.nextMessage()).contains(QStringLiteral("TimeOuts: 4")));
    }

    // A relay that refuses the recipient: the alert is tried again at the next time-out; a server
    // marked for no mail sends none.
    void refusedAlertIsTriedAgain()
    {
        SmtpTestServer smtp({QStringLiteral("--reject-rcpt"), QStringLiteral("ops@example.org")});
        MonitorFixture f;
        f.setEmail(smtp.address(), 2, -1);
        SimServer& quiet = f.addServer(QStringLiteral("Quake 3"));
        SimServer& excluded = f.addServer(QStringLiteral("Quake 3"));
        f.setAnswering(quiet, false);
        f.setAnswering(excluded, false);
        f.context.stores.servers.rows[1].noAlertMail = true;
        f.start();
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QSignalSpy failed(f.monitor.get(), &Monitor::alertMailFailed);
        QVERIFY(f.settle());
        QVERIFY(f.refresh(quiet));
        QVERIFY(f.refresh(excluded));
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
        QVERIFY(!f.row(quiet).lastMail.has_value());
        QVERIFY(f.refresh(quiet));
        QCOMPARE(started.size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 2, 5000);
        QCOMPARE(failed.at(1).at(0).toString(), quiet.address());
    }

    // Many servers down at once: every alert is delivered, a few connections at a time.
    void massOutageDeliversEveryAlert()
    {
        SmtpTestServer smtp({});
        MonitorFixture f;
        f.setEmail(smtp.address(), 1, -1);
        for (int i = 0; i < 5; ++i)
            f.setAnswering(f.addServer(QStringLiteral("Quake 3")), false);
        f.start();
        QSignalSpy sent(f.monitor.get(), &Monitor::alertMailSent);
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 5, 10000);
        QSet<QString> subjects;
        for (int i = 0; i < 5; ++i) {
            const auto message = smtp.nextMessage();
            QVERIFY(message);
            subjects.insert(SmtpTestServer::data(*message)
                                .section(QStringLiteral("SUBJECT: "), 1)
                                .section(QStringLiteral("\r\n"), 0, 0));
        }
        QCOMPARE(subjects.size(), 5);
    }

    // A relay that takes the connection and never answers keeps two mails running; the
    // alerts behind them wait, and go when their servers are deleted.
    void deletedServersDropTheirWaitingAlerts()
    {
        QTcpServer relay;
        QVERIFY(relay.listen(QHostAddress::LocalHost));
        MonitorFixture f;
        f.setEmail(QStringLiteral("127.0.0.1:%1").arg(relay.serverPort()), 1, -1);
        for (int i = 0; i < 3; ++i)
            f.setAnswering(f.addServer(QStringLiteral("Quake 3")), false);
        f.start();
        QSignalSpy started(f.monitor.get(), &Monitor::alertMailStarted);
        QVERIFY(f.settle());
        QTRY_COMPARE(started.size(), 3);
        QCOMPARE(f.monitor->alertMail().waiting(), 1);
        for (const auto& server : f.servers) {
            f.prompter.answers << Prompter::Answer::Yes;
            f.monitor->delServer(server->address());
        }
        QCOMPARE(f.monitor->alertMail().waiting(), 0);
        QCOMPARE(f.monitor->status().rowCount(), 0);
    }

    // Counts that were never reported are not "full": the join goes ahead, and an armed
    // auto-join waits for numbers.
    void unknownCountsAreNotFull()
    {
        MonitorFixture f;
        f.setQuake3Path();
        SimServer& silent = f.addServer(QStringLiteral("Quake 3"));
        f.setAnswering(silent, false);
        f.start();
        QVERIFY(f.settle());
        f.monitor->updateJoin(silent.address());
        QVERIFY(f.refresh(silent));
        QVERIFY(f.launcher.launches.isEmpty());
        // The join asks the server once more; a server that does not answer is not joined.
        f.monitor->joinServer(false, silent.address(), QStringLiteral("Quake 3"));
        QTRY_COMPARE(f.prompter.asked.size(), 1);
        QCOMPARE(f.prompter.asked.first().text,
                 silent.address() + QStringLiteral(" did not answer just now: the game was not started."));
        QVERIFY(f.launcher.launches.isEmpty());

        f.prompter.choices << 0;
        f.monitor->autoJoin().join(false, silent.address(), QStringLiteral("Quake 3"), {3, 3});
        QVERIFY(f.monitor->isAutoJoin(silent.address()));
        QCOMPARE(f.windows.flags.last(), silent.address() + QStringLiteral(" on"));
        f.setAnswering(silent, true);
        f.monitor->autoJoin().join(false, silent.address(), QStringLiteral("Quake 3"), {2, 3});
        QVERIFY(!f.monitor->isAutoJoin(silent.address()));
        QTRY_COMPARE(f.launcher.launches.size(), 1);
    }

    // A join asks the server first: one that went full since its last answer gets the full-server
    // question. Armed, the auto-join fires once, when a slot frees and is still free when asked again.
    void autoJoinWaitsForAFreeSlot()
    {
        MonitorFixture f;
        f.setQuake3Path(QStringLiteral("+set fs_game \"osp mod\""));
        SimServer& full = f.addServer(QStringLiteral("Quake 3"), 3);
        full.state().maxPlayers = 4;
        SimServer& other = f.addServer(QStringLiteral("Quake 3"), 1);
        f.start();
        QVERIFY(f.settle());
        QCOMPARE(f.row(full).players, std::optional(QStringLiteral("3/4")));

        full.state().players.push_back(SimPlayer{"late", 0, 0, 0});
        f.prompter.choices << 2;
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QTRY_COMPARE(f.prompter.asked.size(), 1);
        QCOMPARE(f.prompter.asked.first().text, QStringLiteral("Auto Join|The server is full."));
        QVERIFY(f.launcher.launches.isEmpty());

        // Arming one server disarms the others.
        f.monitor->updateJoin(other.address());
        f.windows.flags.clear();
        f.prompter.choices << 0;
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QVERIFY(f.monitor->isAutoJoin(full.address()));
        QVERIFY(!f.monitor->isAutoJoin(other.address()));
        QCOMPARE(f.windows.flags, (QStringList{QStringLiteral("all off"), full.address() + QStringLiteral(" on")}));

        // A slot frees and is taken again before the check: still armed.
        full.state().players.pop_back();
        QVERIFY(f.refresh(full));
        // The check's query is on its way; the simulated server answers it only once this test waits.
        QVERIFY(f.monitor->autoJoin().isChecking(full.address()));
        full.state().players.push_back(SimPlayer{"quick", 0, 0, 0});
        QTRY_VERIFY(!f.monitor->autoJoin().isChecking(full.address()));
        QVERIFY(f.launcher.launches.isEmpty());
        QVERIFY(f.monitor->isAutoJoin(full.address()));

        full.state().players.pop_back();
        QVERIFY(f.refresh(full));
        QTRY_COMPARE(f.launcher.launches.size(), 1);
        QCOMPARE(f.launcher.launches.first().join(QLatin1Char('|')),
                 QStringLiteral("/q3/quake3|/q3|+set|fs_game|osp mod|+connect|") + full.address());
        QVERIFY(!f.monitor->isAutoJoin(full.address()));
        QVERIFY(f.refresh(full));
        QCOMPARE(f.launcher.launches.size(), 1);

        // On a full server "Join Anyways" starts the game at once; "Cancel" does nothing.
        full.state().players.push_back(SimPlayer{"late", 0, 0, 0});
        QVERIFY(f.refresh(full));
        f.prompter.choices << 2 << 1;
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QCOMPARE(f.launcher.launches.size(), 1);
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QCOMPARE(f.launcher.launches.size(), 2);
    }

    void launchCommandLines()
    {
        MonitorFixture f;
        // Ports nothing listens on: the queries are refused on this machine.
        for (const char* game : {"Unreal Tournament", "Battlefield 1942", "Half Life"})
            f.listServer(QStringLiteral("127.0.0.1:%1").arg(f.context.stores.servers.rows.size() + 1),
                         QString::fromLatin1(game));
        f.listServer(QStringLiteral("[::1]:4"), QStringLiteral("Unreal Tournament"));
        f.context.stores.gamePaths.rows = {
            {QStringLiteral("Unreal Tournament"),
             QStringLiteral("C:\\UT\\System\\UnrealTournament.exe"),
             QStringLiteral("-log"),
             {}},
            {QStringLiteral("Battlefield 1942"), QStringLiteral("/bf/bf1942"), QString(), {}},
            {QStringLiteral("Half Life"), QString(), QString(), {}}};
        f.start();
        joinAnyways(f, QStringLiteral("127.0.0.1:1"), QStringLiteral("Unreal Tournament"));
        joinAnyways(f, QStringLiteral("127.0.0.1:2"), QStringLiteral("Battlefield 1942"));
        QCOMPARE(f.launcher.launches.size(), 2);
        QCOMPARE(f.launcher.launches[0].join(QLatin1Char('|')),
                 QStringLiteral("C:\\UT\\System\\UnrealTournament.exe|C:\\UT\\System|127.0.0.1:1|-log"));
        QCOMPARE(f.launcher.launches[1].join(QLatin1Char('|')),
                 QStringLiteral("/bf/bf1942|/bf|+isInternet|1|+restart|1|+joinServer|127.0.0.1:2"));
        // The games that speak IPv6 take its address in brackets, as it is listed.
        joinAnyways(f, QStringLiteral("[::1]:4"), QStringLiteral("Unreal Tournament"));
        QCOMPARE(f.launcher.launches.takeLast().join(QLatin1Char('|')),
                 QStringLiteral("C:\\UT\\System\\UnrealTournament.exe|C:\\UT\\System|[::1]:4|-log"));
        joinAnyways(f, QStringLiteral("127.0.0.1:3"), QStringLiteral("Half Life"));
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("Location of Half Life has not been configured!"));
        f.launcher.succeed = false;
        joinAnyways(f, QStringLiteral("127.0.0.1:2"), QStringLiteral("Battlefield 1942"));
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("Battlefield 1942 could not be started from /bf/bf1942"));
    }
};

QTEST_GUILESS_MAIN(TestAlertsAndJoin)
#include "TestAlertsAndJoin.moc"
