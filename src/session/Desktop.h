#pragma once

#include <QSystemTrayIcon>

namespace trevisk {

// The kind of notification area the tray icons live in. On a StatusNotifier host (the D-Bus tray
// of today's panels) a left click arrives as Trigger and no double-click is ever reported; an
// XEmbed tray reports both.
enum class TrayKind
{
    None,
    XEmbed,
    StatusNotifier
};

// Decided once, the way Qt picks its tray: a StatusNotifier watcher on the session bus that has a
// host registered wins; otherwise X11 has its XEmbed tray and other platforms have none.
TrayKind trayKind();

// Whether a click on a tray icon opens its window: the double-click on an XEmbed tray, the click
// (Trigger) on a StatusNotifier host.
bool opensWindow(QSystemTrayIcon::ActivationReason reason, TrayKind kind = trayKind());

// False under Wayland, where a program can neither place nor raise its own windows.
bool windowsPlaceable();

} // namespace trevisk
