#include "core/Routines.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

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

QString decodeText(const QByteArray& bytes)
{
    // Most of what servers send is plain ASCII: no need to validate it as UTF-8.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

} // namespace trevisk
