#include "monitor/HeadlessOutput.h"

#include "core/Clock.h"
#include "core/Routines.h"
#include "monitor/Monitor.h"
#include "monitor/StatusTable.h"
#include "notify/EventLog.h"

#include <QCoreApplication>

namespace trevisk {

HeadlessOutput::HeadlessOutput(EventLog& log, Monitor& monitor, Writer out, Writer err, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor)
    , m_out(std::move(out))
    , m_err(std::move(err))
{
    connect(&log, &EventLog::logged, this, [this](const QDateTime& stamp, const QString& message) {
        m_out(EventLog::fileLine(stamp, message));
    });
    // Events that only pop up (a server becoming active) have no log line; without a desktop they print all the same.
    connect(&monitor,
            &Monitor::notified,
            this,
            [this](const QDateTime& stamp, const QString& text, bool poppedUp, bool logged) {
                if (!poppedUp || logged)
                    return;
                QString line = text;
                line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
                m_out(EventLog::fileLine(stamp, visibleText(line)));
            });
    connect(&monitor, &Monitor::alertMailSent, this, [this](const QString& address) {
        m_out(QCoreApplication::translate("HeadlessOutput", "Alert mail sent for %1").arg(address));
    });
    connect(&monitor, &Monitor::alertMailFailed, this, [this](const QString& address, const QString& error) {
        m_err(QCoreApplication::translate("HeadlessOutput", "Alert mail for %1 was not sent: %2")
                  .arg(address, visibleText(error)));
    });
}

void HeadlessOutput::printStatus()
{
    const QDateTime now = m_monitor.clock().now();
    // Each piece ends with a line break, which the writer adds itself.
    writeStatusTable(
        m_monitor.status(), &m_monitor.uptimeLog(), now, [this](const QString& piece) { m_out(piece.chopped(1)); });
    QStringList snoozed;
    for (const auto& [address, until] : m_monitor.snoozes().snoozed(now))
        snoozed << QStringLiteral("%1 (%2)").arg(visibleText(address), AlertSnooze::describe(until, now));
    if (!snoozed.isEmpty())
        m_out(QCoreApplication::translate("HeadlessOutput", "Alerts snoozed: ") + snoozed.join(QStringLiteral(", ")));
}

} // namespace trevisk
