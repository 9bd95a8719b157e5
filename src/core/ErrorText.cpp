#include "core/ErrorText.h"

#include "core/Translations.h"

namespace trevisk {

namespace {

QString buildErrorText(const QString& description, qint32 number, const QString& procedure, bool shown)
{
    const auto line = [shown](const char* source) {
        return shown ? Translations::text("ErrorText", source) : QString::fromLatin1(source);
    };
    const QString crlf = QStringLiteral("\r\n");
    QString text = procedure.isEmpty()
                       ? line(QT_TRANSLATE_NOOP("ErrorText", "An error has occured"))
                       : line(QT_TRANSLATE_NOOP("ErrorText", "An error has occured in function: ")) + procedure;
    text += crlf + crlf;
    text += line(QT_TRANSLATE_NOOP("ErrorText", "<-----BEGIN ERROR TEXT----->")) + crlf;
    text += description + crlf;
    text += line(QT_TRANSLATE_NOOP("ErrorText", "<-----END ERROR TEXT----->")) + crlf + crlf;
    text += line(QT_TRANSLATE_NOOP("ErrorText", "Error Number:")) + QString::number(number) + crlf + crlf;
    text +=
        line(QT_TRANSLATE_NOOP("ErrorText", "Please write this information down before contacting Ostravel.")) + crlf;
    text += line(QT_TRANSLATE_NOOP("ErrorText", "This information is critical to fixing this error!"));
    return text;
}

} // namespace

QString errorText(const QString& description, qint32 number, const QString& procedure)
{
    return buildErrorText(description, number, procedure, false);
}

QString shownErrorText(const QString& description, qint32 number, const QString& procedure)
{
    return buildErrorText(description, number, procedure, true);
}

} // namespace trevisk
