#include "store/RecordTable.h"

#include "core/Translations.h"

#include <cmath>

namespace trevisk::detail {

namespace {

const QString DateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

bool isAbsent(const QJsonValue& json)
{
    return json.isNull() || json.isUndefined();
}

} // namespace

QString valueMisfit(const QString& name)
{
    return Translations::text("RecordTable",
                              QT_TRANSLATE_NOOP("RecordTable", "Field %1 does not hold a value of its type"))
        .arg(name);
}

QJsonValue toJson(const std::optional<QString>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue toJson(const std::optional<bool>& value)
{
    return value ? QJsonValue(*value ? 1 : 0) : QJsonValue(QJsonValue::Null);
}

QJsonValue toJson(const std::optional<qint32>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue toJson(const std::optional<qint64>& value)
{
    if (!value)
        return QJsonValue(QJsonValue::Null);
    // Beyond 53 bits a JSON number loses digits; such values are kept as text.
    if (std::llabs(*value) < (1LL << 53))
        return QJsonValue(*value);
    return QJsonValue(QString::number(*value));
}

QJsonValue toJson(const std::optional<QDateTime>& value)
{
    return value ? QJsonValue(value->toString(DateTimeFormat)) : QJsonValue(QJsonValue::Null);
}

QJsonValue toJson(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

bool fromJson(const QJsonValue& json, std::optional<QString>& value)
{
    value.reset();
    if (isAbsent(json))
        return true;
    if (json.isString()) {
        value = json.toString();
        return true;
    }
    if (json.isDouble()) {
        value = QString::number(json.toDouble());
        return true;
    }
    return false;
}

bool fromJson(const QJsonValue& json, std::optional<qint64>& value)
{
    value.reset();
    if (isAbsent(json))
        return true;
    if (json.isString()) {
        bool ok = false;
        const qint64 number = json.toString().toLongLong(&ok);
        if (ok)
            value = number;
        return ok;
    }
    const double number = json.toDouble();
    if (!json.isDouble() || std::floor(number) != number || std::fabs(number) > 9.2e18)
        return false;
    value = static_cast<qint64>(number);
    return true;
}

bool fromJson(const QJsonValue& json, std::optional<qint32>& value)
{
    std::optional<qint64> wide;
    value.reset();
    if (!fromJson(json, wide))
        return false;
    if (!wide)
        return true;
    if (*wide < INT32_MIN || *wide > INT32_MAX)
        return false;
    value = static_cast<qint32>(*wide);
    return true;
}

bool fromJson(const QJsonValue& json, std::optional<bool>& value)
{
    std::optional<qint32> number;
    value.reset();
    if (!fromJson(json, number))
        return false;
    if (number)
        value = *number != 0;
    return true;
}

bool fromJson(const QJsonValue& json, std::optional<QDateTime>& value)
{
    value.reset();
    if (isAbsent(json))
        return true;
    const QDateTime stamp = QDateTime::fromString(json.toString(), Qt::ISODate);
    if (!json.isString() || !stamp.isValid())
        return false;
    value = stamp;
    return true;
}

bool fromJson(const QJsonValue& json, std::optional<double>& value)
{
    value.reset();
    if (isAbsent(json))
        return true;
    if (!json.isDouble())
        return false;
    value = json.toDouble();
    return true;
}

} // namespace trevisk::detail
