#include "tray/SnoozeMenu.h"

#include "core/Clock.h"
#include "core/Prompter.h"
#include "monitor/Monitor.h"

#include <QCoreApplication>
#include <QMenu>

namespace trevisk {

namespace {

const char* const Title = QT_TRANSLATE_NOOP("trevisk::SnoozeMenu", "Snoo&ze Alerts");

QString tr(const char* text)
{
    return QCoreApplication::translate("trevisk::SnoozeMenu", text);
}

} // namespace

QMenu* addSnoozeMenu(QMenu* parent, Monitor& monitor, Prompter& prompter, const std::function<QString()>& address)
{
    QMenu* menu = parent->addMenu(tr(Title));
    menu->setObjectName(QStringLiteral("snoozeMenu"));
    const auto report = [&prompter](const QString& error) {
        if (!error.isEmpty())
            prompter.tell(QCoreApplication::translate("trevisk::SnoozeMenu", "The snooze could not be saved: ") + error,
                          Prompter::Icon::Exclamation);
    };
    const std::pair<const char*, SnoozeLength> lengths[] = {
        {QT_TRANSLATE_NOOP("trevisk::SnoozeMenu", "For 1 &Hour"), SnoozeLength::OneHour},
        {QT_TRANSLATE_NOOP("trevisk::SnoozeMenu", "For &8 Hours"), SnoozeLength::EightHours},
        {QT_TRANSLATE_NOOP("trevisk::SnoozeMenu", "Until &Tomorrow"), SnoozeLength::UntilTomorrow},
        {QT_TRANSLATE_NOOP("trevisk::SnoozeMenu", "Until Turned &Back On"), SnoozeLength::UntilResumed}};
    for (const auto& [text, length] : lengths) {
        menu->addAction(tr(text), menu, [&monitor, address, report, length = length] {
            if (const QString server = address(); !server.isEmpty())
                report(monitor.snoozeAlerts(server, length));
        });
    }
    menu->addSeparator();
    QAction* resume = menu->addAction(
        QCoreApplication::translate("trevisk::SnoozeMenu", "&Alerts On"), menu, [&monitor, address, report] {
            if (const QString server = address(); !server.isEmpty())
                report(monitor.resumeAlerts(server));
        });
    resume->setObjectName(QStringLiteral("alertsOn"));
    // The parent's aboutToShow comes first, so the title says the state before the submenu opens.
    QObject::connect(parent, &QMenu::aboutToShow, menu, [&monitor, menu, resume, address] {
        const auto until = monitor.alertsSnoozedUntil(address());
        resume->setEnabled(until.has_value());
        menu->setTitle(until ? tr(Title) + QStringLiteral(" (") + AlertSnooze::describe(*until, monitor.clock().now())
                                   + QLatin1Char(')')
                             : tr(Title));
    });
    return menu;
}

} // namespace trevisk
