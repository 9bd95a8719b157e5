#include "store/RecordFile.h"

#include "core/Routines.h"
#include "core/Translations.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trevisk {

namespace {

const QString FormatName = QStringLiteral("Trevisk record file");
constexpr int FormatVersion = 1;
// Marks a save's copy as this program's own, so that only those are ever cleaned up.
constexpr char SaveCopyInfix[] = ".trevisk-save-";

// A person reads these where a list or a lock fails; the marks are for lupdate.
QString readable(const char* source)
{
    return Translations::text("RecordFile", source);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool isWhole(double value, double low, double high)
{
    return std::isfinite(value) && std::floor(value) == value && value >= low && value <= high;
}

// Checks one value against its field's type; the file is unreadable when one does not fit.
bool valueFits(const QJsonValue& value, FieldType type)
{
    if (value.isNull() || value.isUndefined())
        return true;
    switch (type) {
    case FieldType::Text:
    case FieldType::LongText:
        return value.isString();
    case FieldType::Integer:
        return value.isDouble() && isWhole(value.toDouble(), -2147483648.0, 2147483647.0);
    case FieldType::BigInteger:
        if (value.isString()) {
            bool ok = false;
            value.toString().toLongLong(&ok);
            return ok;
        }
        return value.isDouble() && isWhole(value.toDouble(), -9.2e18, 9.2e18);
    case FieldType::DateTime:
        return value.isString() && QDateTime::fromString(value.toString(), Qt::ISODate).isValid();
    case FieldType::Double:
        return value.isDouble();
    }
    return false;
}

} // namespace

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Text:
        return QStringLiteral("text");
    case FieldType::LongText:
        return QStringLiteral("longtext");
    case FieldType::Integer:
        return QStringLiteral("integer");
    case FieldType::BigInteger:
        return QStringLiteral("biginteger");
    case FieldType::DateTime:
        return QStringLiteral("datetime");
    case FieldType::Double:
        return QStringLiteral("double");
    }
    return {};
}

std::optional<FieldType> fieldTypeFromName(const QString& name)
{
    for (FieldType type : {FieldType::Text,
                           FieldType::LongText,
                           FieldType::Integer,
                           FieldType::BigInteger,
                           FieldType::DateTime,
                           FieldType::Double}) {
        if (fieldTypeName(type) == name)
            return type;
    }
    return std::nullopt;
}

ReadOutcome readRecordFile(const QString& path)
{
    ReadOutcome outcome;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return outcome;
    outcome.exists = true;
    // Checked before opening: a pipe would block the start, a device would never end.
    if (QString refusal = notRegularFile(path); !refusal.isEmpty()) {
        outcome.error = refusal;
        return outcome;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.error = file.errorString();
        return outcome;
    }
    const QByteArray bytes = file.read(MaxReadBytes + 1);
    if (bytes.size() > MaxReadBytes) {
        outcome.error =
            readable(QT_TRANSLATE_NOOP("RecordFile", "The file is larger than %1 MB")).arg(MaxReadBytes / 1024 / 1024);
        return outcome;
    }
    return readRecordBytes(bytes);
}

ReadOutcome readRecordBytes(const QByteArray& bytes)
{
    ReadOutcome outcome;
    outcome.exists = true;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        outcome.error = readable(QT_TRANSLATE_NOOP("RecordFile", "Not a record file: ")) + parseError.errorString();
        return outcome;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != FormatName || !root.value(QStringLiteral("fields")).isArray()
        || !root.value(QStringLiteral("rows")).isArray()) {
        outcome.error = readable(QT_TRANSLATE_NOOP("RecordFile", "Not a record file"));
        return outcome;
    }
    if (root.value(QStringLiteral("version")).toInt() > FormatVersion) {
        outcome.error = readable(QT_TRANSLATE_NOOP("RecordFile", "The record file was written by a newer version"));
        return outcome;
    }

    RawTable table;
    table.name = root.value(QStringLiteral("table")).toString();
    for (const auto& fieldValue : root.value(QStringLiteral("fields")).toArray()) {
        const QJsonObject field = fieldValue.toObject();
        const auto type = fieldTypeFromName(field.value(QStringLiteral("type")).toString());
        const QString name = field.value(QStringLiteral("name")).toString();
        const bool duplicate = std::any_of(
            table.fields.cbegin(), table.fields.cend(), [&](const FieldDef& def) { return def.name == name; });
        if (!type || name.isEmpty() || duplicate) {
            outcome.error = readable(QT_TRANSLATE_NOOP("RecordFile", "Bad field definition in the record file"));
            return outcome;
        }
        table.fields.append({name, *type, field.value(QStringLiteral("size")).toInt()});
    }
    const QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
    table.rows.reserve(rows.size());
    for (const auto& rowValue : rows) {
        const QJsonArray cells = rowValue.toArray();
        if (!rowValue.isArray() || cells.size() != table.fields.size()) {
            outcome.error =
                readable(QT_TRANSLATE_NOOP("RecordFile", "A row of the record file does not match its fields"));
            return outcome;
        }
        QJsonObject row;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const FieldDef& def = table.fields.at(i);
            if (!valueFits(cells.at(i), def.type)) {
                outcome.error =
                    readable(QT_TRANSLATE_NOOP("RecordFile", "Field %1 of row %2 does not hold a value of its type"))
                        .arg(def.name)
                        .arg(table.rows.size() + 1);
                return outcome;
            }
            row.insert(def.name, cells.at(i));
        }
        table.rows.push_back(std::move(row));
    }
    outcome.table = std::move(table);
    return outcome;
}

int RecordWriter::write(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += written;
    }
    return 0;
}

int RecordWriter::sync(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

QString saveWholeFile(const QString& path, const QByteArray& bytes, RecordWriter* writer)
{
    if (QString refusal = notRegularFile(path); !refusal.isEmpty())
        return refusal + readable(QT_TRANSLATE_NOOP("RecordFile", "; it was left as it is"));
    RecordWriter plain;
    RecordWriter& sink = writer ? *writer : plain;
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    removeSaveLeftovers(target);

    QByteArray copy = QFile::encodeName(target + QLatin1String(SaveCopyInfix)) + "XXXXXX";
    const int fd = ::mkostemp(copy.data(), O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    // Held while the copy exists: another save's clean-up leaves a locked copy alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto discard = [&](const QString& what) {
        ::unlink(copy.constData());
        ::close(fd);
        return what;
    };
    struct stat old = {};
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (::fchmod(fd, replacing ? (old.st_mode & 07777) : (0666 & ~currentUmask())) != 0)
        return discard(systemError(errno));
    if (const int error = sink.write(fd, bytes))
        return discard(systemError(error));
    // Without this a crash soon after the rename could leave an empty file in place of the old one.
    if (const int error = sink.sync(fd))
        return discard(readable(QT_TRANSLATE_NOOP("RecordFile", "The file could not be flushed to disk: "))
                       + systemError(error));
    if (::rename(copy.constData(), QFile::encodeName(target).constData()) != 0)
        return discard(systemError(errno));
    ::close(fd);
    return {};
}

void removeSaveLeftovers(const QString& path)
{
    const QFileInfo given(path);
    const QFileInfo info(given.exists() ? given.canonicalFilePath() : given.absoluteFilePath());
    const QDir dir = info.absoluteDir();
    const QString pattern = info.fileName() + QLatin1String(SaveCopyInfix) + QStringLiteral("??????");
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QByteArray local = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(local.constData());
        ::close(fd);
    }
}

QString writeRecordFile(const QString& path, const RawTable& table, RecordWriter* writer)
{
    QJsonArray fields;
    for (const FieldDef& def : table.fields) {
        fields.append(QJsonObject{{QStringLiteral("name"), def.name},
                                  {QStringLiteral("type"), fieldTypeName(def.type)},
                                  {QStringLiteral("size"), def.size}});
    }
    QJsonArray rows;
    for (const QJsonObject& row : table.rows) {
        QJsonArray cells;
        for (const FieldDef& def : table.fields) {
            const QJsonValue value = row.value(def.name);
            cells.append(value.isUndefined() ? QJsonValue(QJsonValue::Null) : value);
        }
        rows.append(cells);
    }
    const QJsonObject root{{QStringLiteral("format"), FormatName},
                           {QStringLiteral("version"), FormatVersion},
                           {QStringLiteral("table"), table.name},
                           {QStringLiteral("fields"), fields},
                           {QStringLiteral("rows"), rows}};
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);

    return saveWholeFile(path, bytes, writer);
}

ChangeLock::ChangeLock(const QString& path, std::chrono::milliseconds wait)
{
    const QString lockPath = path + QStringLiteral(".lock");
    const QString shown = QDir::toNativeSeparators(lockPath);
    if (QString refusal = notRegularFile(lockPath); !refusal.isEmpty()) {
        m_failure = readable(QT_TRANSLATE_NOOP("RecordFile", "The lock file ")) + refusal;
        return;
    }
    // Read-only is enough for the lock, so a lock file that cannot be written still serves.
    const int fd =
        ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_failure = readable(QT_TRANSLATE_NOOP("RecordFile", "The lock file %1 cannot be opened: %2"))
                        .arg(shown,
                             fd < 0 ? systemError(errno)
                                    : readable(QT_TRANSLATE_NOOP("RecordFile", "it is not a regular file")));
        if (fd >= 0)
            ::close(fd);
        return;
    }
    // Holders keep it for a read and a save, milliseconds: a short poll costs nothing.
    const QDeadlineTimer deadline(wait);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_failure = readable(QT_TRANSLATE_NOOP("RecordFile", "The lock file %1 cannot be locked: %2"))
                            .arg(shown, systemError(errno));
            ::close(fd);
            return;
        }
        if (deadline.hasExpired()) {
            m_failure =
                readable(QT_TRANSLATE_NOOP("RecordFile", "another Trevisk program kept %1 locked for %2 seconds"))
                    .arg(shown, QString::number(double(wait.count()) / 1000.0));
            ::close(fd);
            return;
        }
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
    m_fd = fd;
}

ChangeLock::~ChangeLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString keepAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace trevisk
