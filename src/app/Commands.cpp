#include "app/Commands.h"

#include "core/Translations.h"

#include <QtGlobal>

namespace trevisk {

// Each command's entry point is defined in its own file under commands/.
int runExportCommand(const CommonOptions& options, const QStringList& arguments);
int runFindCommand(const CommonOptions& options, const QStringList& arguments);
int runImportCommand(const CommonOptions& options, const QStringList& arguments);
int runPathsCommand(const CommonOptions& options, const QStringList& arguments);
int runQueryCommand(const CommonOptions& options, const QStringList& arguments);
int runRconCommand(const CommonOptions& options, const QStringList& arguments);
int runServersCommand(const CommonOptions& options, const QStringList& arguments);
int runTestMailCommand(const CommonOptions& options, const QStringList& arguments);

namespace {

const CommandInfo s_commands[] = {
    {"export",
     QT_TRANSLATE_NOOP("Commands", "  trevisk export FILE                    write the server list to FILE as XML"),
     runExportCommand},
    {"find",
     QT_TRANSLATE_NOOP(
         "Commands",
         "  trevisk find GAME [--master HOST:PORT]... [--protocol N] [--name TEXT] [--map TEXT]\n"
         "               [--not-empty] [--not-full] [--json] [--timeout MS]\n"
         "                                         ask the game's masters for their servers, query each once\n"
         "                                         and print those that pass the filters; MS: how long to\n"
         "                                         wait for a master and for each try of a server (3000, 2000)"),
     runFindCommand},
    {"import",
     QT_TRANSLATE_NOOP(
         "Commands",
         "  trevisk import FILE [--merge | --replace]\n"
         "                                         read the servers of an XML FILE: add the new ones, or\n"
         "                                         replace the list"),
     runImportCommand},
    {"paths",
     QT_TRANSLATE_NOOP(
         "Commands",
         "  trevisk paths                          where the lists, settings, sounds and autostart entry are"),
     runPathsCommand},
    {"query",
     QT_TRANSLATE_NOOP("Commands",
                       "  trevisk query GAME ADDRESS [--json]    query one server once and print what it answered\n"
                       "  trevisk query --file FILE [--json]     the same for every \"game<TAB>address\" line of FILE\n"
                       "                [--timeout MS]           wait MS for each of the three tries (2000)\n"
                       "                [--home-pace]            never faster than a home connection takes"),
     runQueryCommand},
    {"rcon",
     QT_TRANSLATE_NOOP(
         "Commands",
         "  trevisk rcon GAME ADDRESS COMMAND... [--password-file FILE] [--timeout MS]\n"
         "                                         send a remote console command and print the reply; the\n"
         "                                         password comes from FILE's first line, else the remembered\n"
         "                                         one; exit 3 no answer, 4 port closed, 5 password refused"),
     runRconCommand},
    {"servers",
     QT_TRANSLATE_NOOP("Commands",
                       "  trevisk servers list                   the listed servers: game, address, memo, options\n"
                       "  trevisk servers add GAME ADDRESS [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2]\n"
                       "                      [--no-mail]        add a server, checked as the add-server window does\n"
                       "  trevisk servers remove ADDRESS         remove a server and its custom alert text"),
     runServersCommand},
    {"test-mail",
     QT_TRANSLATE_NOOP(
         "Commands", "  trevisk test-mail                      send a test alert mail with the saved e-mail settings"),
     runTestMailCommand},
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
            text += Translations::text("Commands", command.usage) + QLatin1Char('\n');
    }
    return text;
}

} // namespace trevisk
