#include "session/Startup.h"

#include "core/ErrorReporter.h"
#include "core/Routines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

int probeLockFile(const QString& path)
{
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? 0 : errno;
    // A full disk often still lets an empty file be made; the lock needs a few bytes in it.
    int error = 0;
    while (::write(fd, "probe", 5) < 0) {
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    ::close(fd);
    ::unlink(local.constData());
    return error;
}

QString lockFailureText(const QString& path, int error)
{
    QString cause;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        cause = QCoreApplication::translate("Startup", "there is no space left on the disk");
        break;
    case EROFS:
        cause = QCoreApplication::translate("Startup", "the folder is on a read-only file system");
        break;
    case EACCES:
    case EPERM:
        cause = QCoreApplication::translate("Startup", "permission denied");
        break;
    default:
        cause = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    return QCoreApplication::translate("Startup", "The lock file %1 cannot be created: %2.")
        .arg(QDir::toNativeSeparators(path), cause);
}

namespace {

// True when no process holds the lock file open: a live holder keeps a lock on it for its whole run.
bool nobodyHolds(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

DataLock acquireDataLock(const QString& dataDir, const LockProbe& probe)
{
    DataLock result;
    const QString path = QDir(dataDir).filePath(QString::fromLatin1(LockFileName));
    if (QString refusal = notRegularFile(path); !refusal.isEmpty()) {
        result.failure = QCoreApplication::translate("Startup", "The lock file %1.").arg(refusal);
        return result;
    }
    auto lock = std::make_unique<QLockFile>(path);
    // A lock left by a copy that died is taken over; a live holder keeps it.
    lock->setStaleLockTime(0);
    // QLockFile keeps a file it cannot read for ever; a holder that names itself nowhere and holds nothing is gone.
    if (QFileInfo::exists(path) && !lock->getLockInfo(nullptr, nullptr, nullptr) && nobodyHolds(path))
        QFile::remove(path);
    else if (!QFileInfo::exists(path)) {
        if (const int error = probe(path)) {
            result.failure = lockFailureText(path, error);
            return result;
        }
    }
    if (lock->tryLock(0)) {
        result.lock = std::move(lock);
        return result;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        const int error = probe(path);
        result.failure =
            lockFailureText(path, error ? error : (lock->error() == QLockFile::PermissionError ? EACCES : EIO));
    }
    return result;
}

StartupResult startUp(const StartupOptions& options, ErrorReporter& reporter)
{
    StartupResult result;
    auto context = std::make_unique<AppContext>();
    context->programDir = options.programDir;
    context->dataDir = resolveDataDir(options.dataDir, options.programDir);
    if (!QDir().mkpath(context->dataDir)) {
        result.status = StartupResult::Status::NoDataFolder;
        result.message =
            QCoreApplication::translate("Startup", "The data folder %1 cannot be created.").arg(context->dataDir);
        return result;
    }
    DataLock lock = acquireDataLock(context->dataDir, options.lockProbe);
    if (!lock) {
        result.status = lock.failure.isEmpty() ? StartupResult::Status::AlreadyRunning : StartupResult::Status::NoLock;
        result.message =
            lock.failure.isEmpty() ? QCoreApplication::translate("Startup", SingleInstanceMessage) : lock.failure;
        return result;
    }
    context->lock = std::move(lock.lock);
    context->settingsStore = openSettings(options.configFile);
    context->settings = AppSettings::load(*context->settingsStore, options.programDir);
    context->stores = Stores(context->dataDir);
    context->stores.loadAll(reporter);
    result.context = std::move(context);
    return result;
}

} // namespace trevisk
