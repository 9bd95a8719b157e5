#pragma once

#include "store/RecordFile.h"

#include <QDateTime>
#include <QJsonValue>

#include <optional>
#include <vector>

namespace trevisk {

namespace detail {

// Why a row was refused: its field `name` holds a value of another type.
QString valueMisfit(const QString& name);
QJsonValue toJson(const std::optional<QString>& value);
QJsonValue toJson(const std::optional<bool>& value);
QJsonValue toJson(const std::optional<qint32>& value);
QJsonValue toJson(const std::optional<qint64>& value);
QJsonValue toJson(const std::optional<QDateTime>& value);
QJsonValue toJson(const std::optional<double>& value);
// Each returns false when the value cannot be taken as the field's type.
bool fromJson(const QJsonValue& json, std::optional<QString>& value);
// A flag is any integer: 0 is false, any other true (as the monitor always took it).
bool fromJson(const QJsonValue& json, std::optional<bool>& value);
bool fromJson(const QJsonValue& json, std::optional<qint32>& value);
bool fromJson(const QJsonValue& json, std::optional<qint64>& value);
bool fromJson(const QJsonValue& json, std::optional<QDateTime>& value);
bool fromJson(const QJsonValue& json, std::optional<double>& value);

} // namespace detail

// A store in memory: its rows in order, and the field definitions of its file
// (this version's fields, plus any the file carried that this version does not know).
template <typename Record> struct RecordTable
{
    QList<FieldDef> fields = knownFields();
    std::vector<Record> rows;

    static QList<FieldDef> knownFields()
    {
        QList<FieldDef> defs;
        Record probe;
        Record::visit(probe, [&](const char* name, auto&, FieldType type, int size) {
            defs.append({QString::fromLatin1(name), type, size});
        });
        return defs;
    }

    RawTable toRaw() const
    {
        RawTable raw{QString::fromLatin1(Record::TableName), fields, {}};
        raw.rows.reserve(rows.size());
        for (const Record& record : rows) {
            QJsonObject row = record.extra;
            Record::visit(record, [&](const char* name, const auto& value, FieldType, int) {
                row.insert(QString::fromLatin1(name), detail::toJson(value));
            });
            raw.rows.push_back(std::move(row));
        }
        return raw;
    }

    // Takes a table read from a file; returns an error text when a known field holds a value of another type.
    QString fromRaw(const RawTable& raw)
    {
        QList<FieldDef> merged = raw.fields;
        for (const FieldDef& known : knownFields()) {
            const bool present = std::any_of(
                merged.cbegin(), merged.cend(), [&](const FieldDef& def) { return def.name == known.name; });
            if (!present)
                merged.append(known);
        }
        std::vector<Record> loaded;
        loaded.reserve(raw.rows.size());
        for (const QJsonObject& row : raw.rows) {
            Record record;
            QString error;
            QJsonObject extra = row;
            Record::visit(record, [&](const char* name, auto& value, FieldType, int) {
                const QString key = QString::fromLatin1(name);
                if (!detail::fromJson(row.value(key), value) && error.isEmpty())
                    error = detail::valueMisfit(key);
                extra.remove(key);
            });
            if (!error.isEmpty())
                return error;
            // An emptied copy still holds the row's whole storage: about a kilobyte a server.
            record.extra = extra.isEmpty() ? QJsonObject() : extra;
            if constexpr (requires { record.compact(); })
                record.compact();
            loaded.push_back(std::move(record));
        }
        fields = merged;
        rows = std::move(loaded);
        return {};
    }
};

} // namespace trevisk
