#pragma once

#include "app/Application.h"

#include <QStringList>

namespace trevisk {

// Where the window module is looked for, in order: beside the program (a build or a portable
// copy), then where an install puts it.
QStringList windowsModuleCandidates(const QString& programDir);

// Loads the window module and runs the windowed monitor, or the demo with windows, through it.
// Without the module the program says which files it tried and why they failed, and returns 1.
int runWithWindows(int argc, char** argv, const CommonOptions& options, bool demo);

} // namespace trevisk
