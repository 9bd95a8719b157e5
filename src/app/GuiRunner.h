#pragma once

class QApplication;

namespace trevisk {

struct AppContext;
struct MonitorRunOptions;

// The windowed program: the monitor with its main window, tray icons and pop-ups, until Exit,
// SIGINT or SIGTERM.
int runWindows(QApplication& app, AppContext& context, const MonitorRunOptions& options);

} // namespace trevisk
