#pragma once

#include <functional>

class QCoreApplication;

namespace trevisk {

struct AppContext;
struct MonitorRunOptions;

// Runs the monitor over the demo's context: the headless loop or the windows.
using DemoRunner = std::function<int(AppContext& context, const MonitorRunOptions& options)>;

// Simulated servers of every engine on 127.0.0.1, monitored from a temporary data folder with a
// friend and a favourite map preset, scripted so that every kind of notification shows within
// two minutes. Nothing of the user's data or settings is touched. With windows, every demo
// server has its tray icon.
int runDemo(QCoreApplication& app, int statusSeconds, bool withWindows, const DemoRunner& run);

} // namespace trevisk
