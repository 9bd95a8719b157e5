#pragma once

#include "app/Application.h"

#include <functional>
#include <memory>

namespace trevisk {

class ErrorReporter;
struct AppContext;

// Start-up shared by the window and headless modes: the context, or nothing after telling why.
// `refused` tells the user that another copy holds the data folder or that its lock cannot be made.
std::unique_ptr<AppContext>
startMonitor(const CommonOptions& options, ErrorReporter& reporter, const std::function<void(const QString&)>& refused);

// The version and the data folder, printed once the monitor has started.
void printStartBanner(const AppContext& context);

} // namespace trevisk
