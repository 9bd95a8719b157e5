#include "app/GuiRunner.h"

#include "app/Commands.h"
#include "app/MonitorRunner.h"
#include "app/SignalWatcher.h"
#include "core/Clock.h"
#include "core/Sound.h"
#include "core/Startup.h"
#include "dialogs/MessageBoxReporter.h"
#include "dialogs/QtPrompter.h"
#include "monitor/AnswerErrorLog.h"
#include "monitor/GameLauncher.h"
#include "monitor/MainWindow.h"
#include "monitor/Monitor.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "tray/ServerWindows.h"

#include <QApplication>

namespace trevisk {

int runWindows(QApplication& app, AppContext& context, const MonitorRunOptions& options)
{
    SystemClock clock;
    EventLog log(context.settings, clock);
    SilentSoundPlayer sound;
    QtPrompter prompter;
    MessageBoxReporter reporter;
    GameLauncher launcher;
    AnswerErrorLog answerErrors(context.settings, clock);
    NotificationQueue popups(clock);
    ServerWindows windows(context, sound, prompter);
    Monitor monitor({context, clock, log, &popups, sound, prompter, reporter, windows, launcher});
    windows.setMonitor(&monitor);
    monitor.engine().setErrorSink(&answerErrors);

    MainWindow main({monitor, context, prompter, reporter, &popups});
    QObject::connect(&main, &MainWindow::exitRequested, &app, &QCoreApplication::quit);
    monitor.start();
    main.load();
    if (!options.banner.isEmpty())
        printLine(options.banner);

    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, [&main](int) { main.exitProgram(); });
    const int code = app.exec();
    return code;
}

} // namespace trevisk
