#include "app/Demo.h"
#include "app/GuiRunner.h"
#include "app/MonitorRunner.h"
#include "app/MonitorStart.h"
#include "app/PrintLine.h"
#include "app/WindowsModule.h"
#include "core/Translations.h"
#include "core/Version.h"
#include "dialogs/MessageBoxReporter.h"
#include "session/Startup.h"

#include <QApplication>

#include <cstring>

// The module's only exported symbol; everything else in it stays hidden, so that nothing of its
// copy of the core binds to the program's.
extern "C" __attribute__((visibility("default"))) int trevisk_windows_main(const TreviskWindowsOptions* given)
{
    using namespace trevisk;
    if (!given || given->layout != TREVISK_WINDOWS_LAYOUT || !given->version
        || std::strcmp(given->version, VersionText) != 0) {
        // This copy of the core has loaded no catalogue yet (the program's is its own).
        Translations::load();
        printLine(Translations::text("WindowsMain",
                                     QT_TRANSLATE_NOOP("WindowsMain",
                                                       "The window module belongs to Trevisk %1, not to this program "
                                                       "(%2): install them again together."))
                      .arg(QString::fromLatin1(VersionText),
                           QString::fromUtf8(given && given->version ? given->version : "?")),
                  stderr);
        return 1;
    }
    // QApplication keeps a reference to the count for its whole life.
    int argc = given->argc;
    QApplication app(argc, given->argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(ProductName));
    QApplication::setQuitOnLastWindowClosed(false);
    if (given->demo) {
        return runDemo(app, given->statusSeconds, true, [&app](AppContext& context, const MonitorRunOptions& options) {
            return runWindows(app, context, options);
        });
    }

    CommonOptions options;
    options.dataDir = QString::fromUtf8(given->dataDir);
    options.configFile = QString::fromUtf8(given->configFile);
    options.programDir = QCoreApplication::applicationDirPath();
    options.statusSeconds = given->statusSeconds;
    MessageBoxReporter reporter;
    std::unique_ptr<AppContext> context = startMonitor(options, reporter, showExclamation);
    if (!context)
        return 1;
    printStartBanner(*context);
    MonitorRunOptions runOptions;
    runOptions.statusSeconds = options.statusSeconds;
    return runWindows(app, *context, runOptions);
}
