#pragma once

#include "notify/DesktopNotifier.h"

#include <QDBusConnection>
#include <QObject>

class QDBusMessage;

namespace trevisk {

// Pop-up texts as freedesktop notifications, sent on the session bus without waiting for the answer.
class DBusNotifier : public QObject, public DesktopNotifier
{
    Q_OBJECT
public:
    static constexpr char Service[] = "org.freedesktop.Notifications";
    static constexpr char Path[] = "/org/freedesktop/Notifications";
    static constexpr char Interface[] = "org.freedesktop.Notifications";

    explicit DBusNotifier(QObject* parent = nullptr);
    DBusNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    void notify(const QString& text, std::function<void()> undelivered) override;

    // The Notify call for one text: its first line is the summary, the other lines the body, both
    // escaped because services may read them as markup (a server's name could hold tags).
    static QDBusMessage notifyCall(const QString& text);

private:
    QDBusConnection m_bus;
};

} // namespace trevisk
