#include "core/Routines.h"

#include "core/Translations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

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
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString visibleText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029)
            c = QChar(StandIn);
    }
    return clean;
}

QString plainTip(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.toHtmlEscaped().split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + lines.join(QStringLiteral("<br>"))
           + QStringLiteral("</p>");
}

QString plainTitle(const QString& text)
{
    QString title = text;
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++count;
    }
    return count;
}

QString notRegularFile(const QString& path)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (info.exists()) {
        if (info.isFile())
            return {};
        if (info.isDir())
            return Translations::text("Routines", QT_TRANSLATE_NOOP("Routines", "%1 is a folder, not a file"))
                .arg(shown);
        return Translations::text(
                   "Routines", QT_TRANSLATE_NOOP("Routines", "%1 is not a regular file (a device, a pipe or a socket)"))
            .arg(shown);
    }
    if (info.isSymLink())
        return Translations::text("Routines", QT_TRANSLATE_NOOP("Routines", "%1 is a link to nothing")).arg(shown);
    return {};
}

QString openSecretWarning(const QString& path)
{
    const QFileDevice::Permissions permissions = QFileInfo(path).permissions();
    const bool read = permissions.testFlag(QFileDevice::ReadOther);
    const bool write = permissions.testFlag(QFileDevice::WriteOther);
    if (!read && !write)
        return {};
    const QString shown = QDir::toNativeSeparators(path);
    const char* const warning =
        read && write ? QT_TRANSLATE_NOOP(
            "Routines", "Warning: other users can read and change %1; make it yours alone with: chmod 600 %1")
        : read
            ? QT_TRANSLATE_NOOP("Routines", "Warning: other users can read %1; make it yours alone with: chmod 600 %1")
            : QT_TRANSLATE_NOOP("Routines",
                                "Warning: other users can change %1; make it yours alone with: chmod 600 %1");
    return Translations::text("Routines", warning).arg(shown);
}

} // namespace trevisk
