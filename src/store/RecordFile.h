#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>
#include <vector>

class QIODevice;

namespace trevisk {

enum class FieldType
{
    Text,
    LongText,
    Integer,
    BigInteger,
    DateTime,
    Double
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
    int size = 255;

    bool operator==(const FieldDef&) const = default;
};

QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(const QString& name);

// One table as a record file holds it: the field definitions, then the rows in order.
// A row maps field names to JSON values; a missing or null value is a null field.
struct RawTable
{
    QString name;
    QList<FieldDef> fields;
    std::vector<QJsonObject> rows;
};

struct ReadOutcome
{
    bool exists = false;
    std::optional<RawTable> table; // set when the file exists and could be read
    QString error;
};

ReadOutcome readRecordFile(const QString& path);
// The same, from the bytes of a file already read.
ReadOutcome readRecordBytes(const QByteArray& bytes);

// A record file or a list larger than this is not something this program wrote: reading it
// would only eat memory (a store pointed at /dev/zero, a 50 MB memo).
inline constexpr qint64 MaxReadBytes = qint64{32} * 1024 * 1024;

// The system calls of a save; tests put failing ones in their place. Each returns 0 or an errno value.
class RecordWriter
{
public:
    virtual ~RecordWriter() = default;
    virtual int write(int fd, const QByteArray& bytes);
    virtual int sync(int fd);
};

// Replaces the file at `path` with `bytes` as a whole: a copy beside it is written, flushed to disk
// and renamed over it, so the old file stays whole until the new one is. A link to a file is kept and
// the file it names replaced; anything else that is not a regular file is refused and left alone.
// Returns an empty text on success, else what failed.
QString saveWholeFile(const QString& path, const QByteArray& bytes, RecordWriter* writer = nullptr);
// Removes the copies that interrupted saves of `path` left beside it (only this program's own).
void removeSaveLeftovers(const QString& path);

// Writes the whole table atomically (saveWholeFile). Returns an empty text on success, else what failed.
QString writeRecordFile(const QString& path, const RawTable& table, RecordWriter* writer = nullptr);

// The lock that every program changing the file at `path` holds around its read-modify-write, so that
// two changes made at once do not undo one another: an advisory lock on the file "<path>.lock" beside
// it (the file itself is replaced at each save, so a lock on it would not last). Waits up to `wait`
// for a holder to let go; released when destroyed.
class ChangeLock
{
public:
    ChangeLock(const QString& path, std::chrono::milliseconds wait);
    ~ChangeLock();
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

    bool held() const { return m_fd >= 0; }
    // Why it is not held, for the user.
    const QString& failure() const { return m_failure; }

private:
    int m_fd = -1;
    QString m_failure;
};

// Moves an unreadable file aside under a new name beside it; returns the new path, or empty on failure.
QString keepAside(const QString& path);

} // namespace trevisk
