#include "app/Demo.h"

#include "app/MonitorRunner.h"
#include "app/PrintLine.h"
#include "core/ErrorReporter.h"
#include "session/Startup.h"
#include "sim/SimServer.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

namespace trevisk {

namespace {

constexpr char FriendName[] = "Visor";
constexpr char FavouriteMapName[] = "q3dm17";

SimPlayer demoPlayer(const char* name)
{
    SimPlayer player;
    player.name = name;
    player.score = 3;
    player.ping = 42;
    return player;
}

} // namespace

int runDemo(QCoreApplication& app, int statusSeconds, bool withWindows, const DemoRunner& run)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        printLine(
            QCoreApplication::translate("Demo", "The demo needs a temporary folder: %1").arg(folder.errorString()),
            stderr);
        return 1;
    }
    const QString config = folder.filePath(QStringLiteral("demo.ini"));
    {
        QSettings settings(config, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/Refresh"), QStringLiteral("5"));
    }

    const char* const gamesOfEveryEngine[] = {"Quake 3",
                                              "Quake 2",
                                              "QuakeWorld",
                                              "Half Life",
                                              "Unreal Tournament",
                                              "Unreal Tournament 2003",
                                              "Halo",
                                              "Neverwinter Nights",
                                              "Raven Shield"};
    std::vector<std::unique_ptr<SimServer>> servers;
    Stores stores(folder.path());
    int number = 1;
    for (const char* game : gamesOfEveryEngine) {
        auto server = std::make_unique<SimServer>(SimServerState::forGame(QString::fromLatin1(game), number++, 3));
        if (!server->start()) {
            printLine(QCoreApplication::translate("Demo", "A simulated %1 server could not start: %2")
                          .arg(QString::fromLatin1(game), server->errorString()),
                      stderr);
            return 1;
        }
        ServerRecord record;
        record.address = server->address();
        record.game = QString::fromLatin1(game);
        record.manualRefresh = false;
        record.queryPort = 0;
        record.memo = QStringLiteral("demo");
        record.noAlertMail = true;
        record.tray = withWindows ? 1 : 0;
        stores.servers.rows.push_back(record);
        servers.push_back(std::move(server));
    }
    SimServer& quake3 = *servers[0];
    SimServer& quakeWorld = *servers[2];
    SimServer& halfLife = *servers[3];
    SimServer& unreal = *servers[4];
    quake3.state().map = "q3dm6";
    quakeWorld.state().players.clear();
    for (size_t i = 5; i < servers.size(); ++i) {
        servers[i]->setChurnInterval(std::chrono::seconds(20));
        servers[i]->setChurning(true);
    }
    stores.friends.rows = {{QString::fromLatin1(FriendName), {}}};
    stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), QString::fromLatin1(FavouriteMapName), {}}};
    for (const QString& error : {stores.saveServers(), stores.saveFriends(), stores.saveFavMaps()}) {
        if (!error.isEmpty()) {
            printLine(QCoreApplication::translate("Demo", "The demo's lists could not be written: %1").arg(error),
                      stderr);
            return 1;
        }
    }

    // The script: players arrive, a friend comes and goes, the map changes, a server goes down and back.
    QTimer::singleShot(std::chrono::seconds(12), &app, [&] {
        quakeWorld.state().players = {demoPlayer("Ranger"), demoPlayer("Doom")};
    });
    QTimer::singleShot(
        std::chrono::seconds(18), &app, [&] { halfLife.state().players.push_back(demoPlayer(FriendName)); });
    QTimer::singleShot(std::chrono::seconds(30), &app, [&] { quake3.state().map = FavouriteMapName; });
    QTimer::singleShot(std::chrono::seconds(70), &app, [&] {
        auto& players = halfLife.state().players;
        players.erase(
            std::remove_if(players.begin(), players.end(), [](const SimPlayer& p) { return p.name == FriendName; }),
            players.end());
    });
    QTimer downAndUp;
    bool down = false;
    QObject::connect(&downAndUp, &QTimer::timeout, &app, [&] {
        down = !down;
        unreal.responder().setAnswering(!down);
        downAndUp.start(down ? std::chrono::seconds(35) : std::chrono::seconds(55));
    });
    downAndUp.start(std::chrono::seconds(25));

    StderrErrorReporter reporter;
    StartupResult result = startUp({folder.path(), config, QCoreApplication::applicationDirPath()}, reporter);
    if (result.status != StartupResult::Status::Started) {
        printLine(result.message, stderr);
        return 1;
    }
    MonitorRunOptions options;
    options.statusSeconds = statusSeconds;
    options.banner = QCoreApplication::translate("Demo",
                                                 "Demo: %n simulated servers on 127.0.0.1, one of every engine; "
                                                 "friend \"%1\", favourite map %2 on Quake 3. The data lives in %3 "
                                                 "and goes at exit.",
                                                 nullptr,
                                                 int(servers.size()))
                         .arg(QString::fromLatin1(FriendName), QString::fromLatin1(FavouriteMapName), folder.path());
    return run(*result.context, options);
}

} // namespace trevisk
