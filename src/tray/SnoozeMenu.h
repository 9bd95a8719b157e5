#pragma once

#include <QString>

#include <functional>

class QMenu;

namespace trevisk {

class Monitor;
class Prompter;

// Adds the "Snooze Alerts" submenu to a server's menu. `address` names the server when the menu
// opens (the grid's selection, a details window's server); the entries show its snooze as it is then.
QMenu* addSnoozeMenu(QMenu* parent, Monitor& monitor, Prompter& prompter, const std::function<QString()>& address);

} // namespace trevisk
