#pragma once

#include "app/Application.h"

#include <functional>
#include <memory>

namespace trevisk {

class ErrorReporter;
class EventLog;
class Monitor;
struct AppContext;

// Start-up shared by the window and headless modes: the context, or nothing after telling why.
// `refused` tells the user that another copy holds the data folder or that its lock cannot be made.
std::unique_ptr<AppContext>
startMonitor(const CommonOptions& options, ErrorReporter& reporter, const std::function<void(const QString&)>& refused);

// The version and the data folder, printed once the monitor has started.
void printStartBanner(const AppContext& context);

// Saves what the run counted as it ends. A failure is told on the error output and in the log, and
// the run's exit code `code` becomes 1 (were it 0), so that a script sees the counts were lost.
int finishRun(Monitor& monitor, EventLog& log, int code);

} // namespace trevisk
