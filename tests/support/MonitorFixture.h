#pragma once

#include "join/GameLauncher.h"
#include "monitor/Monitor.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "query/ServerQuery.h"
#include "session/Startup.h"
#include "sim/SimServer.h"
#include "status/MonitorWindows.h"
#include "support/FastQueue.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace trevisk {

// Records what the monitor asks of the windows; the dialogs answer from a script.
class RecordingWindows : public NullMonitorWindows
{
public:
    bool showServerWindow(const QString& address, const QString&, const QString&, bool) override
    {
        shown << address;
        return true;
    }
    void closeServerWindow(const QString& address) override { closed << address; }
    void setTimeOut(const QString& address) override { timeOuts << address; }
    void updateDetails(const ServerDetails& update) override
    {
        const QString maximum = update.maximum ? QString::number(*update.maximum) : QStringLiteral("none");
        details << QStringLiteral("%1 friends=%2 max=%3").arg(update.address).arg(update.friendCount).arg(maximum);
    }
    void setAutoJoinFlag(const QString& address, bool armed) override
    {
        flags << (address.isEmpty() ? QStringLiteral("all") : address) + QLatin1String(armed ? " on" : " off");
    }
    QString runAddServerDialog() override { return dialogAnswer; }
    QString runEditServerDialog(const QString&) override
    {
        if (duringDialog)
            duringDialog();
        return dialogAnswer;
    }
    std::function<void()> duringDialog; // what the user changes while the dialog is open

    QStringList shown, closed, timeOuts, details, flags;
    QString dialogAnswer;
};

// A row of the status grid as the monitor lists a server before its first answer.
inline StatusRow statusRow(const QString& address, const QString& game = QStringLiteral("Quake 3"))
{
    StatusRow row;
    row.address = address;
    row.game = game;
    return row;
}

class RecordingLauncher : public GameLauncher
{
public:
    bool start(const QString& program, const QStringList& arguments, const QString& folder) override
    {
        launches << QStringList{program, folder} + arguments;
        return succeed;
    }
    QList<QStringList> launches;
    bool succeed = true;
};

// A monitor in a temporary data folder with recorded windows, sounds, prompts and a clock the test sets.
struct MonitorFixture
{
    QTemporaryDir dir;
    AppContext context;
    ManualClock clock;
    std::unique_ptr<EventLog> log;
    std::unique_ptr<NotificationQueue> popups;
    RecordingSoundPlayer sound;
    ScriptedPrompter prompter;
    RecordingReporter reporter;
    RecordingWindows windows;
    RecordingLauncher launcher;
    std::unique_ptr<Monitor> monitor;
    std::vector<std::unique_ptr<SimServer>> servers;
    QStringList logged, popped; // popped: the texts handed to the pop-up queue, in order
    QSet<const SimServer*> silent;

    MonitorFixture()
    {
        context.dataDir = dir.path();
        context.programDir = dir.path();
        context.settingsStore =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        context.settings = AppSettings::defaults(dir.path());
        context.stores = Stores(dir.path());
        log = std::make_unique<EventLog>(context.settings, clock);
        QObject::connect(
            log.get(), &EventLog::logged, log.get(), [this](const QDateTime&, const QString& text) { logged << text; });
        // The tests read what was handed to the queue, not the screen.
        popups = fastQueue(clock, std::chrono::milliseconds(1), std::chrono::milliseconds(1));
    }

    // Alert mail to ops@example.org through `smtp` at the first time-out, once per outage.
    void setEmail(const QString& smtp)
    {
        const QString keys =
            QStringLiteral("Enable=1|Email=ops@example.org|From=trevisk@example.org|TimeOuts=1|Interval=-1");
        for (const QString& entry : (keys + QStringLiteral("|SMTP=") + smtp).split(QLatin1Char('|')))
            context.settingsStore->setValue(QStringLiteral("EmailNotify/") + entry.section(QLatin1Char('='), 0, 0),
                                            entry.section(QLatin1Char('='), 1));
    }

    // Short time-outs only while a server is silent, so that a busy machine never turns a late answer into one.
    void setAnswering(SimServer& server, bool answering)
    {
        server.responder().setAnswering(answering);
        silent.remove(&server);
        if (!answering)
            silent.insert(&server);
        if (monitor)
            setTiming(std::nullopt);
    }
    // Sets the gather time, when given, and the time-out for what is silent now.
    void setTiming(std::optional<std::chrono::milliseconds> gather)
    {
        QueryEngine::Timing timing = monitor->engine().timing();
        timing.gather = gather.value_or(timing.gather);
        timing.queriesPerSecond = 0;
        timing.timeOut = std::chrono::milliseconds(silent.isEmpty() ? 2000 : 25);
        monitor->engine().setTiming(timing);
    }
    // Sets whether the server answers, then queries it once.
    bool refreshAnswering(SimServer& server, bool answering)
    {
        setAnswering(server, answering);
        return refresh(server);
    }

    // A simulated server of `game` on 127.0.0.1, listed with these record values.
    SimServer& addServer(const QString& game, int players = 4, bool manualRefresh = true)
    {
        auto server = std::make_unique<SimServer>(SimServerState::forGame(game, int(servers.size()) + 1, players));
        if (!server->start())
            qFatal("simulated server did not start");
        ServerRecord& record = listServer(server->address(), game, manualRefresh);
        record.noAlertMail = false;
        record.tray = 0;
        servers.push_back(std::move(server));
        return *servers.back();
    }
    // A sound turned on, with an empty file to play.
    QString enableSound(int slot)
    {
        const QString path = dir.filePath(QStringLiteral("%1.wav").arg(slot));
        context.settings.soundEnable[size_t(slot)] = QStringLiteral("1");
        context.settings.soundPath[size_t(slot)] = path;
        return writeFile(path) ? path : QString();
    }
    void setQuake3Path(const QString& arguments = {})
    {
        context.stores.gamePaths.rows = {{QStringLiteral("Quake 3"), QStringLiteral("/q3/quake3"), arguments, {}}};
    }
    ServerRecord& listServer(const QString& address, const QString& game, bool manualRefresh = true)
    {
        ServerRecord& record = context.stores.servers.rows.emplace_back();
        record.address = address;
        record.game = game;
        record.manualRefresh = manualRefresh;
        return record;
    }

    // `shown`: the real windows, else the recording ones.
    void start(MonitorWindows* shown = nullptr)
    {
        monitor = std::make_unique<Monitor>(MonitorServices{
            context, clock, *log, popups.get(), sound, prompter, reporter, shown ? *shown : windows, launcher});
        QObject::connect(monitor.get(), &Monitor::notified, [this](const QDateTime&, const QString& text, bool popUp) {
            if (popUp)
                popped << text;
        });
        setTiming(std::chrono::milliseconds(40));
        monitor->start();
    }

    ServerQuery& query(const SimServer& server) { return *monitor->queryFor(server.address()); }
    const StatusRow& row(const SimServer& server) { return *monitor->status().find(server.address()); }

    // Queries one server now and waits for the end of its cycle: an answer or a time-out.
    bool refresh(const QString& address)
    {
        QSignalSpy updates(monitor->queryFor(address), &ServerQuery::serverUpdate);
        monitor->refreshServer(address);
        return updates.wait(5000);
    }
    bool refresh(const SimServer& server) { return refresh(server.address()); }
    // Waits until every server has answered or timed out once since start.
    bool settle()
    {
        const auto done = [this](const auto& server) {
            return !row(*server).name.value_or(QString()).isEmpty() || row(*server).timeOutCount.has_value();
        };
        return QTest::qWaitFor([&] { return std::all_of(servers.begin(), servers.end(), done); }, 10000);
    }
};

} // namespace trevisk
