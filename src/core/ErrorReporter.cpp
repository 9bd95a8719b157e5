#include "core/ErrorReporter.h"

#include "core/ErrorText.h"

#include <cstdio>

namespace trevisk {

void ErrorReporter::report(const QString& description, qint32 number, const QString& procedure)
{
    showReport(errorText(description, number, procedure));
}

void StderrErrorReporter::showReport(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s\n", lines.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace trevisk
