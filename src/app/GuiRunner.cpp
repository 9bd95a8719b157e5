#include "app/GuiRunner.h"

#include "app/MonitorRunner.h"
#include "app/MonitorStart.h"
#include "app/PrintLine.h"
#include "app/SignalWatcher.h"
#include "core/Clock.h"
#include "dialogs/MessageBoxReporter.h"
#include "dialogs/QtPrompter.h"
#include "dialogs/ServerDialog.h"
#include "join/GameLauncher.h"
#include "monitor/AnswerErrorLog.h"
#include "monitor/Monitor.h"
#include "notify/DBusNotifier.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "notify/NotifyWindow.h"
#include "notify/QtSoundPlayer.h"
#include "session/Desktop.h"
#include "session/Startup.h"
#include "tray/ServerWindows.h"
#include "update/SplashWindow.h"
#include "update/UpdateSettings.h"
#include "update/UpgradePrompt.h"
#include "update/VersionCheck.h"
#include "windows/MainWindow.h"

#include <QApplication>

namespace trevisk {

int runWindows(QApplication& app, AppContext& context, const MonitorRunOptions& options)
{
    SystemClock clock;
    EventLog log(context.settings, clock);
    QtSoundPlayer sound;
    QtPrompter prompter;
    MessageBoxReporter reporter;
    GameLauncher launcher;
    AnswerErrorLog answerErrors(context.settings, clock);
    DBusNotifier desktop;
    NotificationQueue popups(clock);
    popups.setDesktop(&desktop);
    popups.setWindowsPlaceable(windowsPlaceable());
    NotifyWindow popupWindow(popups);
    ServerWindows windows(context, sound, prompter);
    Monitor monitor({context, clock, log, &popups, sound, prompter, reporter, windows, launcher});
    windows.setMonitor(&monitor);
    monitor.engine().setErrorSink(&answerErrors);

    windows.setServerDialog([&](const QString& address) {
        ServerDialog dialog(context, prompter, reporter);
        if (!address.isEmpty())
            dialog.loadServer(address);
        return dialog.exec() == QDialog::Accepted ? dialog.savedAddress() : QString();
    });
    MainWindow main({monitor, context, prompter, reporter, &popups, &sound, &log, &desktop});
    // Ends every event loop, an open dialog's too; quit() would first ask each window to close, and a
    // question box without a cancel button refuses.
    QObject::connect(&main, &MainWindow::exitRequested, &app, [] { QCoreApplication::exit(0); });

    // The splash asks for the current version while it shows; then the monitor and its windows
    // start, and a newer version is offered. The main window stays shown unless it starts in the tray.
    // A window of its own: the offer blocks neither the main window nor any dialog.
    UpgradePrompt upgrade(downloadUrl(*context.settingsStore));
    SplashWindow splash;
    QObject::connect(&splash, &SplashWindow::done, &main, [&] {
        monitor.start();
        main.load();
        if (!options.banner.isEmpty())
            printLine(options.banner);
        const VersionCheck& check = splash.versionCheck();
        if (check.newerAvailable() && context.settings.notifyNewVersion)
            upgrade.offer(check.versionFound());
    });
    splash.start(versionUrl(*context.settingsStore));

    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, [&main](int) { main.exitProgram(); });
    return finishRun(monitor, log, app.exec());
}

} // namespace trevisk
