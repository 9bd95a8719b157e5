#include "store/RecordFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cmath>

namespace trevisk {

namespace {

const QString FormatName = QStringLiteral("Trevisk record file");
constexpr int FormatVersion = 1;

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
    QFile file(path);
    if (!file.exists())
        return outcome;
    outcome.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.error = file.errorString();
        return outcome;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        outcome.error = QStringLiteral("Not a record file: ") + parseError.errorString();
        return outcome;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != FormatName || !root.value(QStringLiteral("fields")).isArray()
        || !root.value(QStringLiteral("rows")).isArray()) {
        outcome.error = QStringLiteral("Not a record file");
        return outcome;
    }
    if (root.value(QStringLiteral("version")).toInt() > FormatVersion) {
        outcome.error = QStringLiteral("The record file was written by a newer version");
        return outcome;
    }

    RawTable table;
    table.name = root.value(QStringLiteral("table")).toString();
    for (const QJsonValue& fieldValue : root.value(QStringLiteral("fields")).toArray()) {
        const QJsonObject field = fieldValue.toObject();
        const auto type = fieldTypeFromName(field.value(QStringLiteral("type")).toString());
        const QString name = field.value(QStringLiteral("name")).toString();
        const bool duplicate = std::any_of(
            table.fields.cbegin(), table.fields.cend(), [&](const FieldDef& def) { return def.name == name; });
        if (!type || name.isEmpty() || duplicate) {
            outcome.error = QStringLiteral("Bad field definition in the record file");
            return outcome;
        }
        table.fields.append({name, *type, field.value(QStringLiteral("size")).toInt()});
    }
    const QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
    table.rows.reserve(rows.size());
    for (const QJsonValue& rowValue : rows) {
        const QJsonArray cells = rowValue.toArray();
        if (!rowValue.isArray() || cells.size() != table.fields.size()) {
            outcome.error = QStringLiteral("A row of the record file does not match its fields");
            return outcome;
        }
        QJsonObject row;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const FieldDef& def = table.fields.at(i);
            if (!valueFits(cells.at(i), def.type)) {
                outcome.error = QStringLiteral("Field %1 of row %2 does not hold a value of its type")
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

bool RecordWriter::write(QIODevice& device, const QByteArray& bytes)
{
    return device.write(bytes) == bytes.size();
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

    RecordWriter plain;
    RecordWriter& sink = writer ? *writer : plain;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!sink.write(file, bytes)) {
        const QString error = file.errorString().isEmpty() ? QStringLiteral("Write failed") : file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
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
