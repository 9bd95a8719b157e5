#include "core/ErrorText.h"

namespace trevisk {

QString errorText(const QString& description, qint32 number, const QString& procedure)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = procedure.isEmpty() ? QStringLiteral("An error has occured")
                                       : QStringLiteral("An error has occured in function: ") + procedure;
    text += crlf + crlf;
    text += QStringLiteral("<-----BEGIN ERROR TEXT----->") + crlf;
    text += description + crlf;
    text += QStringLiteral("<-----END ERROR TEXT----->") + crlf + crlf;
    text += QStringLiteral("Error Number:") + QString::number(number) + crlf + crlf;
    text += QStringLiteral("Please write this information down before contacting Ostravel.") + crlf;
    text += QStringLiteral("This information is critical to fixing this error!");
    return text;
}

} // namespace trevisk
