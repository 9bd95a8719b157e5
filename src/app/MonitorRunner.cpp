#include "app/MonitorRunner.h"

#include "app/Commands.h"
#include "app/MonitorStart.h"
#include "app/SignalWatcher.h"
#include "core/Clock.h"
#include "core/ErrorReporter.h"
#include "core/Sound.h"
#include "core/StdioPrompter.h"
#include "join/GameLauncher.h"
#include "monitor/AnswerErrorLog.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/Monitor.h"
#include "notify/EventLog.h"
#include "session/Startup.h"
#include "status/MonitorWindows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace trevisk {

int runMonitorLoop(QCoreApplication& app, AppContext& context, const MonitorRunOptions& options)
{
    QString shardLine;
    if (options.shard) {
        // Only this run's copy of the list is cut: the headless monitor never writes the list back.
        auto& rows = context.stores.servers.rows;
        const size_t listed = rows.size();
        std::erase_if(rows, [&](const ServerRecord& record) { return !options.shard->watches(record.addressText()); });
        shardLine = QCoreApplication::translate("MonitorRunner",
                                                "Shard %1 as instance \"%2\": %n of the %3 listed servers are this "
                                                "shard's.",
                                                nullptr,
                                                int(rows.size()))
                        .arg(options.shard->text(), options.instance)
                        .arg(listed);
    }
    SystemClock clock;
    EventLog log(context.settings, clock);
    SilentSoundPlayer sound;
    StdioPrompter prompter;
    StderrErrorReporter reporter;
    NullMonitorWindows windows;
    GameLauncher launcher;
    AnswerErrorLog answerErrors(context.settings, clock);
    Monitor monitor({context, clock, log, nullptr, sound, prompter, reporter, windows, launcher});
    monitor.engine().setErrorSink(&answerErrors);

    HeadlessOutput output(
        log,
        monitor,
        [](const QString& line) { printLine(line); },
        [](const QString& line) { printLine(line, stderr); });

    QElapsedTimer started;
    started.start();
    monitor.start();
    if (!options.banner.isEmpty())
        printLine(options.banner);
    if (!shardLine.isEmpty())
        printLine(shardLine);
    printLine(QCoreApplication::translate("MonitorRunner",
                                          "Watching %n servers, every %1 seconds%2 (list loaded in %3 ms).",
                                          nullptr,
                                          monitor.status().rowCount())
                  .arg(context.settings.refreshSeconds())
                  .arg(context.settings.autoRefreshOff
                           ? QCoreApplication::translate("MonitorRunner", " (auto-refresh is off)")
                           : QString())
                  .arg(started.elapsed())
              + (monitor.status().rowCount() == 0 ? QCoreApplication::translate(
                     "MonitorRunner",
                     " The list is empty: add a server with \"trevisk servers add GAME "
                     "ADDRESS\" (\"trevisk servers --help\"), or run \"trevisk --demo\" to "
                     "see every engine at work.")
                                                  : QString()));

    StatusServer web(monitor);
    if (options.listen) {
        web.setToken(options.listenToken);
        if (options.shard)
            web.setLabels(
                {{QStringLiteral("shard"), options.shard->text()}, {QStringLiteral("instance"), options.instance}});
        QString error;
        if (!web.listen(*options.listen, &error)) {
            printLine(error, stderr);
            return 1;
        }
        const QHostAddress bound = web.boundAddress();
        const QString host = bound.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QLatin1Char('[') + bound.toString() + QLatin1Char(']')
                                 : bound.toString();
        printLine(QCoreApplication::translate("MonitorRunner",
                                              "Serving the status on http://%1:%2/ (/metrics, /api/servers)%3.")
                      .arg(host)
                      .arg(web.port())
                      .arg(options.listenToken.isEmpty()
                               ? QString()
                               : QCoreApplication::translate("MonitorRunner", " to bearers of the token")));
        if (const QString warning = exposureWarning(bound, !options.listenToken.isEmpty()); !warning.isEmpty())
            printLine(warning, stderr);
    }

    auto printStatus = [&output] { output.printStatus(); };
    QTimer statusTimer;
    if (options.statusSeconds > 0) {
        QObject::connect(&statusTimer, &QTimer::timeout, &app, printStatus);
        statusTimer.start(options.statusSeconds * 1000);
    }
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, [&app](int) { app.quit(); });
    QObject::connect(&watcher, &SignalWatcher::statusRequested, &app, printStatus);
    const int code = finishRun(monitor, log, app.exec());
    printLine(QCoreApplication::translate("MonitorRunner", "Trevisk stopped."));
    return code;
}

} // namespace trevisk
