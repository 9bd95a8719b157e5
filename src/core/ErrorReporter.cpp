#include "core/ErrorReporter.h"

#include "core/ErrorText.h"

#include <cstdio>

namespace trevisk {

void ErrorReporter::report(const QString& description, qint32 number, const QString& procedure)
{
    showReport(shownErrorText(description, number, procedure));
}

void StderrErrorReporter::showReport(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = (lines + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace trevisk
