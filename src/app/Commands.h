#pragma once

#include "app/Application.h"
#include "app/PrintLine.h"

#include <QStringList>

#include <cstdio>

namespace trevisk {

// A command of the command line: `trevisk NAME ARGS...`. It runs inside a QCoreApplication,
// gets the common options and its own arguments, and returns the process exit code.
using CommandFunction = int (*)(const CommonOptions& options, const QStringList& arguments);

struct CommandInfo
{
    const char* name;
    const char* usage; // one or more lines for --help, each starting with "trevisk "
    CommandFunction run;
};

const CommandInfo* findCommand(const QString& name);
QString commandsHelp();

} // namespace trevisk
