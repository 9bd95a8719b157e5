#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

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

// The byte sink of a save; tests put a failing one in its place.
class RecordWriter
{
public:
    virtual ~RecordWriter() = default;
    virtual bool write(QIODevice& device, const QByteArray& bytes);
};

// Writes the whole table atomically: the old file stays whole until the new one is complete.
// Returns an empty text on success, else what failed.
QString writeRecordFile(const QString& path, const RawTable& table, RecordWriter* writer = nullptr);

// Moves an unreadable file aside under a new name beside it; returns the new path, or empty on failure.
QString keepAside(const QString& path);

} // namespace trevisk
