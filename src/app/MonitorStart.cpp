#include "app/MonitorStart.h"

#include "app/PrintLine.h"
#include "core/Version.h"
#include "monitor/Monitor.h"
#include "notify/EventLog.h"
#include "session/Startup.h"

#include <QCoreApplication>
#include <QDir>

namespace trevisk {

std::unique_ptr<AppContext>
startMonitor(const CommonOptions& options, ErrorReporter& reporter, const std::function<void(const QString&)>& refused)
{
    StartupResult result = startUp({options.dataDir, options.configFile, options.programDir}, reporter);
    if (result.status == StartupResult::Status::AlreadyRunning || result.status == StartupResult::Status::NoLock) {
        refused(result.message);
        return nullptr;
    }
    if (result.status != StartupResult::Status::Started) {
        printLine(result.message, stderr);
        return nullptr;
    }
    return std::move(result.context);
}

int finishRun(Monitor& monitor, EventLog& log, int code)
{
    const QString error = monitor.saveAtExit();
    if (error.isEmpty())
        return code;
    // The log keeps its lines English, whatever the terminal reads.
    const char* const form = QT_TRANSLATE_NOOP("MonitorStart", "The uptime counts could not be saved at exit: %1");
    printLine(QCoreApplication::translate("MonitorStart", form).arg(error), stderr);
    log.logMessage(QString::fromLatin1(form).arg(error));
    return code == 0 ? 1 : code;
}

void printStartBanner(const AppContext& context)
{
    printLine(QStringLiteral("Trevisk %1").arg(QString::fromLatin1(VersionText)));
    printLine(
        QCoreApplication::translate("MonitorStart", "Data folder: %1").arg(QDir::toNativeSeparators(context.dataDir)));
}

} // namespace trevisk
