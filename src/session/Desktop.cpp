#include "session/Desktop.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QGuiApplication>

namespace trevisk {

namespace {

bool statusNotifierHost()
{
    const QString service = QStringLiteral("org.kde.StatusNotifierWatcher");
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface watcher(service, QStringLiteral("/StatusNotifierWatcher"), service, bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace

TrayKind trayKind()
{
    // Qt makes the same choice once per process; a host that comes later does not change it.
    static const bool statusNotifier = QSystemTrayIcon::isSystemTrayAvailable() && statusNotifierHost();
    if (statusNotifier)
        return TrayKind::StatusNotifier;
    return QGuiApplication::platformName() == QLatin1String("xcb") ? TrayKind::XEmbed : TrayKind::None;
}

bool opensWindow(QSystemTrayIcon::ActivationReason reason, TrayKind kind)
{
    return reason == (kind == TrayKind::StatusNotifier ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick);
}

bool windowsPlaceable()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace trevisk
