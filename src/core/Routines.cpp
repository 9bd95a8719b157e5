#include "core/Routines.h"

#include <QFile>

namespace trevisk {

QString escapeQuotes(const QString& value)
{
    QString text = value;
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString nullToText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    return value.toString();
}

bool killFile(const QString& path)
{
    return QFile::remove(path);
}

QString getFolder(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? QString() : path.left(slash + 1);
}

} // namespace trevisk
