#include "core/Startup.h"

#include "core/ErrorReporter.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

namespace trevisk {

AppContext::AppContext() = default;
AppContext::~AppContext() = default;

QString resolveDataDir(const QString& given, const QString& programDir)
{
    if (!given.isEmpty())
        return QDir(given).absolutePath();
    if (!programDir.isEmpty() && QFileInfo(programDir).isWritable()) {
        const QDir dir(programDir);
        for (const char* file : {ServersFile, FriendsFile, FavMapsFile, GamePathsFile, CustEmailFile}) {
            if (dir.exists(QString::fromLatin1(file)))
                return dir.absolutePath();
        }
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::unique_ptr<QLockFile> acquireDataLock(const QString& dataDir)
{
    auto lock = std::make_unique<QLockFile>(QDir(dataDir).filePath(QString::fromLatin1(LockFileName)));
    // A lock left by a copy that died is taken over; a live holder keeps it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

StartupResult startUp(const StartupOptions& options, ErrorReporter& reporter)
{
    StartupResult result;
    auto context = std::make_unique<AppContext>();
    context->programDir = options.programDir;
    context->dataDir = resolveDataDir(options.dataDir, options.programDir);
    if (!QDir().mkpath(context->dataDir)) {
        result.status = StartupResult::Status::NoDataFolder;
        result.message = QStringLiteral("The data folder %1 cannot be created.").arg(context->dataDir);
        return result;
    }
    context->lock = acquireDataLock(context->dataDir);
    if (!context->lock) {
        result.status = StartupResult::Status::AlreadyRunning;
        result.message = QString::fromLatin1(SingleInstanceMessage);
        return result;
    }
    context->settingsStore = openSettings(options.configFile);
    context->settings = AppSettings::load(*context->settingsStore, options.programDir);
    context->stores = Stores(context->dataDir);
    context->stores.loadAll(reporter);
    result.context = std::move(context);
    return result;
}

} // namespace trevisk
