#include "core/Clock.h"
#include "find/ServerFinder.h"
#include "query/QueryEngine.h"
#include "sim/SimMasterServer.h"
#include "sim/SimServer.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <memory>

using namespace trevisk;

class TestServerFinder : public QObject
{
    Q_OBJECT
private slots:
    void filters()
    {
        const struct
        {
            const char* what;
            bool answered;
            const char* hostname;
            int players;
            const char* maxPlayers;
            const char* name;
            bool notEmpty, notFull, passes;
        } cases[] = {
            {"silent, no filter", false, "", 0, "", "", false, false, true},
            {"silent, a filter", false, "", 0, "", "", true, false, false},
            {"name across colour codes", true, "^1Cas^7tle Keep", 1, "8", "castle", false, false, true},
            {"name missing", true, "Arena", 1, "8", "castle", false, false, false},
            {"empty", true, "Arena", 0, "8", "", true, false, false},
            {"full", true, "Arena", 8, "8", "", false, true, false},
            {"limit unknown", true, "Arena", 8, "", "", false, true, true},
        };
        for (const auto& [what, answered, hostname, players, maxPlayers, name, notEmpty, notFull, passes] : cases) {
            QueryRound::Result result;
            result.answered = answered;
            result.hostname = QString::fromLatin1(hostname);
            result.reportsPlayerCount = true;
            result.numPlayers = QString::number(players);
            result.maxPlayers = QString::fromLatin1(maxPlayers);
            QVERIFY2(passesFilters({QString::fromLatin1(name), QString(), notEmpty, notFull}, result) == passes, what);
        }
    }

    // Two masters with overlapping lists and a silent one: each server is queried once, the IPv6 ones
    // too (nothing listens there), and the silent master says so without holding the rest back.
    void finderMergesTheMasters()
    {
        std::vector<std::unique_ptr<SimServer>> servers;
        std::vector<ListedAddress> listed;
        for (int i = 0; i < 3; ++i) {
            servers.push_back(std::make_unique<SimServer>(QStringLiteral("Quake 3")));
            QVERIFY(servers.back()->start());
            listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back()->gamePort()});
        }
        SimMaster::Options options;
        options.ipv6 = 2;
        SimMasterServer first(SimMaster(options, {listed[0], listed[1]}));
        SimMasterServer second(SimMaster(options, {listed[1], listed[2]}));
        QUdpSocket silent;
        QVERIFY(first.start() && second.start() && silent.bind(QHostAddress::LocalHost, 0));

        SystemClock clock;
        QueryEngine engine(clock);
        ServerFinder finder(engine);
        finder.setMasterTiming(
            {std::chrono::milliseconds(300), std::chrono::milliseconds(50), std::chrono::milliseconds(10)});
        FindRequest request;
        request.game = QStringLiteral("Quake 3");
        request.masters =
            QStringList{first.address(), second.address(), QStringLiteral("127.0.0.1:%1").arg(silent.localPort())};
        QString error;
        QVERIFY(finder.start(request, error));
        QSignalSpy finished(&finder, &ServerFinder::finished);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finder.found().size(), size_t(5));
        QCOMPARE(finder.queriedCount(), 5);
        QCOMPARE(finder.answeredCount(), 3);
        QStringList refused;
        for (const ServerFinder::Found& found : finder.found()) {
            if (found.result.state == ServerState::Refused)
                refused += found.address;
        }
        QCOMPARE(refused, (QStringList{QStringLiteral("[::1]:1"), QStringLiteral("[::1]:2")}));
        QCOMPARE(finder.masters()[0].listed, 4);
        QCOMPARE(finder.masters()[1].listed, 4);
        QVERIFY(finder.masters()[1].error.isEmpty());
        QCOMPARE(finder.masters()[2].error, QStringLiteral("no answer"));
        QVERIFY(first.requests() == 1 && second.requests() == 1);

        // What cannot be asked is refused before anything is sent.
        for (const auto& [game, masters] :
             {std::pair{QStringLiteral("Halo"), QStringList{first.address()}},
              std::pair{QStringLiteral("Quake 3"), QStringList()},
              std::pair{QStringLiteral("Quake 3"), QStringList{QStringLiteral("-x")}},
              std::pair{QStringLiteral("Star Trek: Elite Force II"), QStringList{first.address()}}}) {
            QVERIFY2(!finder.start({game, masters, std::nullopt, {}}, error), qPrintable(game));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY(!finder.start({QStringLiteral("QuakeWorld"), {first.address()}, 28, {}}, error));
        QCOMPARE(first.requests(), 1);
    }
};

QTEST_GUILESS_MAIN(TestServerFinder)
#include "TestServerFinder.moc"
