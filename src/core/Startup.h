#pragma once

#include "core/Settings.h"
#include "store/Stores.h"

#include <QString>

#include <memory>

class QLockFile;
class QSettings;

namespace trevisk {

class ErrorReporter;

inline constexpr char LockFileName[] = "trevisk.lock";
inline constexpr char SingleInstanceMessage[] = "Only one instance of Trevisk is allowed to run!";

struct StartupOptions
{
    QString dataDir;    // --data-dir; empty: the default folder
    QString configFile; // --config; empty: the per-user store
    QString programDir; // the folder of the executable
};

// The data folder: the one given; else the program's own folder when it is writable and
// already holds record files (a portable install); else the per-user application data folder.
QString resolveDataDir(const QString& given, const QString& programDir);

// Takes the single-instance lock of a data folder, or nothing when another copy holds it.
std::unique_ptr<QLockFile> acquireDataLock(const QString& dataDir);

// What start-up creates and every part shares for the whole run.
struct AppContext
{
    QString programDir;
    QString dataDir;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QSettings> settingsStore;
    AppSettings settings;
    Stores stores;

    AppContext();
    ~AppContext();
};

struct StartupResult
{
    enum class Status
    {
        Started,
        AlreadyRunning,
        NoDataFolder
    };
    Status status = Status::Started;
    std::unique_ptr<AppContext> context;
    QString message;
};

// The lock first (a second copy ends before reading anything), then the settings and the stores.
// Start-up writes no record file.
StartupResult startUp(const StartupOptions& options, ErrorReporter& reporter);

} // namespace trevisk
