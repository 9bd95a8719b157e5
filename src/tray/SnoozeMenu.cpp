#include "tray/SnoozeMenu.h"

#include "core/Clock.h"
#include "core/Prompter.h"
#include "monitor/Monitor.h"

#include <QMenu>

namespace trevisk {

namespace {

const QString Title = QStringLiteral("Snoo&ze Alerts");

} // namespace

QMenu* addSnoozeMenu(QMenu* parent, Monitor& monitor, Prompter& prompter, std::function<QString()> address)
{
    QMenu* menu = parent->addMenu(Title);
    menu->setObjectName(QStringLiteral("snoozeMenu"));
    const auto report = [&prompter](const QString& error) {
        if (!error.isEmpty())
            prompter.tell(QStringLiteral("The snooze could not be saved: ") + error, Prompter::Icon::Exclamation);
    };
    const std::pair<const char*, SnoozeLength> lengths[] = {{"For 1 &Hour", SnoozeLength::OneHour},
                                                            {"For &8 Hours", SnoozeLength::EightHours},
                                                            {"Until &Tomorrow", SnoozeLength::UntilTomorrow},
                                                            {"Until Turned &Back On", SnoozeLength::UntilResumed}};
    for (const auto& [text, length] : lengths) {
        menu->addAction(QString::fromLatin1(text), menu, [&monitor, address, report, length = length] {
            if (const QString server = address(); !server.isEmpty())
                report(monitor.snoozeAlerts(server, length));
        });
    }
    menu->addSeparator();
    QAction* resume = menu->addAction(QStringLiteral("&Alerts On"), menu, [&monitor, address, report] {
        if (const QString server = address(); !server.isEmpty())
            report(monitor.resumeAlerts(server));
    });
    resume->setObjectName(QStringLiteral("alertsOn"));
    // The parent's aboutToShow comes first, so the title says the state before the submenu opens.
    QObject::connect(parent, &QMenu::aboutToShow, menu, [&monitor, menu, resume, address] {
        const auto until = monitor.alertsSnoozedUntil(address());
        resume->setEnabled(until.has_value());
        menu->setTitle(until ? Title + QStringLiteral(" (") + AlertSnooze::describe(*until, monitor.clock().now())
                                   + QLatin1Char(')')
                             : Title);
    });
    return menu;
}

} // namespace trevisk
