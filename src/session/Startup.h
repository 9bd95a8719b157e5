#pragma once

#include "core/Settings.h"
#include "store/Stores.h"

#include <QString>

#include <functional>
#include <memory>

class QLockFile;
class QSettings;

namespace trevisk {

class ErrorReporter;

inline constexpr char LockFileName[] = "trevisk.lock";
inline constexpr char SingleInstanceMessage[] =
    QT_TRANSLATE_NOOP("Startup", "Only one instance of Trevisk is allowed to run!");

// Tries to create (and removes again) the lock file at `path`, writing a little into it: 0 when that
// works, else the errno value of what failed. Tests put a failing one in its place.
using LockProbe = std::function<int(const QString& path)>;
int probeLockFile(const QString& path);

struct StartupOptions
{
    QString dataDir;    // --data-dir; empty: the default folder
    QString configFile; // --config; empty: the per-user store
    QString programDir; // the folder of the executable
    LockProbe lockProbe = probeLockFile;
};

// The data folder: the one given; else the program's own folder when it is writable and
// already holds record files (a portable install); else the per-user application data folder.
QString resolveDataDir(const QString& given, const QString& programDir);

// Why a lock file could not be made, for the user: the cause (no space, read-only, permission) and the path.
QString lockFailureText(const QString& path, int error);

// The single-instance lock of a data folder.
struct DataLock
{
    std::unique_ptr<QLockFile> lock;
    // Empty when another live copy holds the lock; otherwise why the lock could not be taken.
    QString failure;

    explicit operator bool() const { return lock != nullptr; }
};

// Takes the lock of a data folder. A lock file that names no live holder (a copy that died, or an
// empty or garbled file that a power loss left) is stale and taken over.
DataLock acquireDataLock(const QString& dataDir, const LockProbe& probe = probeLockFile);

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
        NoLock, // the lock file could not be made; the message says why and where
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
