#include "core/StdioPrompter.h"

#include <cstdio>

namespace trevisk {

Prompter::Answer StdioPrompter::ask(const QString& text, Icon, Buttons buttons)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "Trevisk: %s\n", lines.toLocal8Bit().constData());
    std::fflush(stderr);
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::YesNoCancel:
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

QString StdioPrompter::openFileName(const QString&, const QString&, const QString&)
{
    return {};
}

QString StdioPrompter::saveFileName(const QString&, const QString&)
{
    return {};
}

std::optional<quint32> StdioPrompter::pickColour(quint32)
{
    return std::nullopt;
}

} // namespace trevisk
