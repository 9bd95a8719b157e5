#include "app/Commands.h"

namespace trevisk {

// Each command's entry point is defined in its own file under commands/.
int runQueryCommand(const CommonOptions& options, const QStringList& arguments);

namespace {

const CommandInfo s_commands[] = {
    {"query",
     "  trevisk query GAME ADDRESS [--json]    query one server once and print what it answered\n"
     "  trevisk query --file FILE [--json]     the same for every \"game<TAB>address\" line of FILE",
     runQueryCommand},
    {nullptr, nullptr, nullptr},
};

} // namespace

const CommandInfo* findCommand(const QString& name)
{
    for (const CommandInfo& command : s_commands) {
        if (command.name && name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

QString commandsHelp()
{
    QString text;
    for (const CommandInfo& command : s_commands) {
        if (command.usage)
            text += QString::fromUtf8(command.usage) + QLatin1Char('\n');
    }
    return text;
}

void printLine(const QString& text, FILE* stream)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

} // namespace trevisk
