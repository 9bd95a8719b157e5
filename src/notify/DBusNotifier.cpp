#include "notify/DBusNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace trevisk {

DBusNotifier::DBusNotifier(QObject* parent)
    : DBusNotifier(QDBusConnection::sessionBus(), parent)
{}

DBusNotifier::DBusNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{}

QDBusMessage DBusNotifier::notifyCall(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    const QString summary = lines.takeFirst();
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Service),
                                                       QString::fromLatin1(Path),
                                                       QString::fromLatin1(Interface),
                                                       QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.trevisk.Trevisk")}};
    call << QStringLiteral("Trevisk") << 0u << QStringLiteral("trevisk") << summary.toHtmlEscaped()
         << lines.join(QLatin1Char('\n')).toHtmlEscaped() << QStringList() << hints << -1;
    return call;
}

void DBusNotifier::notify(const QString& text, std::function<void()> undelivered)
{
    if (!m_bus.isConnected()) {
        if (undelivered)
            undelivered();
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notifyCall(text)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, undelivered = std::move(undelivered)] {
        if (watcher->isError() && undelivered)
            undelivered();
        watcher->deleteLater();
    });
}

} // namespace trevisk
