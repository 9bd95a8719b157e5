#include "core/Routines.h"
#include "icons/TrayIconPainter.h"
#include "support/MonitorFixture.h"
#include "tray/DetailsTableModel.h"
#include "tray/ServerWindows.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QWindow>

using namespace trevisk;

namespace {

Player player(const char* name, bool isFriend = false)
{
    return {QString::fromLatin1(name), QStringLiteral("1"), QStringLiteral("50"), isFriend, {}, {}};
}

} // namespace

class TestServerWindows : public QObject
{
    Q_OBJECT
private slots:
    // One window per server; it carries the icon, hides on its close box, plays the activity
    // sound, and joins by its own counts.
    void detailsWindows()
    {
        MonitorFixture f;
        const QString sound = f.enableSound(SoundActivity);
        QVERIFY(!sound.isEmpty());
        f.setQuake3Path();
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        f.start();
        QVERIFY(f.settle());
        ServerWindows windows(f.context, f.sound, f.prompter);
        windows.setMonitor(f.monitor.get());
        QVERIFY(windows.showServerWindow(server.address(), QString(), QStringLiteral("Quake 3"), false));
        QVERIFY(!windows.showServerWindow(server.address(), QString(), QStringLiteral("Quake 3"), true));
        QCOMPARE(windows.count(), 1);
        ServerDetailsWindow& window = *windows.window(server.address());
        QVERIFY(window.isVisible());
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("state"))->text(), QStringLiteral("State: up"));
        QCOMPARE(window.windowTitle(), server.address());
        // The desktop's close box only hides; a close by the program, as quitting does, goes through.
        window.windowHandle()->close();
        QVERIFY(!window.isVisible());
        QCOMPARE(windows.count(), 1);
        window.showPlayers();
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());

        const auto update = [&](const PlayerTable& players, int friends, const QString& map) {
            const SettingsTable settings{{QStringLiteral("sv_hostname"), QStringLiteral("Lab")}};
            windows.updateDetails({server.address(),
                                   QStringLiteral("Lab"),
                                   QStringLiteral("Quake 3"),
                                   players,
                                   friends,
                                   map,
                                   settings,
                                   2});
        };
        update({}, 0, {});
        QVERIFY(f.sound.played.isEmpty());
        update({player("a"), player("bob", true)}, 1, QStringLiteral("q3dm6"));
        QCOMPARE(f.sound.played, QStringList{sound});
        QCOMPARE(window.trayIcon().toolTip(), plainTip(QStringLiteral("Lab...\r\nQuake 3 (1 friends) Map: q3dm6")));
        QCOMPARE(window.windowTitle(), QStringLiteral("Lab"));
        QCOMPARE(window.players().rowCount(), 2);
        QCOMPARE(window.settings().rowCount(), 1);

        // Full by the window's own grid: "Join when Free" arms it; a free slot at the next update joins.
        f.prompter.choices << 0;
        window.menu()->actions().at(6)->trigger();
        QVERIFY(window.autoJoinFlag());
        QVERIFY(f.monitor->isAutoJoin(server.address()));
        QVERIFY(f.launcher.launches.isEmpty());
        update({player("a")}, 0, {});
        // The server is asked once more before the game starts.
        QVERIFY(f.launcher.launches.isEmpty());
        QTRY_COMPARE(f.launcher.launches.size(), 1);
        // The monitor disarms; these windows are not the fixture's, so their flags are not cleared here.
        QVERIFY(!f.monitor->isAutoJoin(server.address()));
        QCOMPARE(f.windows.flags.last(), QStringLiteral("all off"));

        windows.setTimeOut(server.address());
        QVERIFY(window.trayIcon().toolTip().contains(QStringLiteral("(0 friends)")));
        windows.setState(server.address(), ServerState::Refused, {});
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("state"))->text(), QStringLiteral("State: refused"));
        QVERIFY(window.icon().tip().endsWith(QStringLiteral("\r\nrefused")));
        windows.closeServerWindow(server.address());
        QCOMPARE(windows.count(), 0);
    }

    // The tray icon's menu snoozes the server's alerts and says until when; the window shows its uptime.
    // "Close Window" unloads the window once the menu has returned.
    void snoozeMenuAndUptime()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        ServerWindows windows(f.context, f.sound, f.prompter);
        windows.setMonitor(f.monitor.get());
        windows.showServerWindow(server.address(), QString(), QStringLiteral("Quake 3"), true);
        ServerDetailsWindow& window = *windows.window(server.address());
        QVERIFY(f.refresh(server));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("uptime"))->text(),
                 QStringLiteral("Uptime: last day 100%, week 100%, 30 days 100%"));

        auto* snooze = window.findChild<QMenu*>(QStringLiteral("snoozeMenu"));
        QVERIFY(snooze);
        emit window.menu()->aboutToShow();
        QVERIFY(!snooze->findChild<QAction*>(QStringLiteral("alertsOn"))->isEnabled());
        snooze->actions().at(1)->trigger();
        QVERIFY(f.monitor->alertsSnoozed(server.address()));
        emit window.menu()->aboutToShow();
        QCOMPARE(snooze->title(), QStringLiteral("Snoo&ze Alerts (until 20:00)"));
        snooze->findChild<QAction*>(QStringLiteral("alertsOn"))->trigger();
        QVERIFY(!f.monitor->alertsSnoozed(server.address()));
        emit window.menu()->aboutToShow();
        QCOMPARE(snooze->title(), QStringLiteral("Snoo&ze Alerts"));
        QVERIFY(window.menu()->actions().last()->isEnabled());

        // The menu stands ready for a host that reads it without asking first: "Show Window" is in
        // it, "Cancel Auto-Join" only while armed; a grid's pop-up leaves out "Show Window" while open.
        QAction* show = window.menu()->actions().at(0);
        QAction* cancel = window.menu()->actions().at(5);
        QVERIFY(show->isVisible());
        QVERIFY(!cancel->isVisible());
        window.setAutoJoinFlag(true);
        QVERIFY(cancel->isVisible());
        auto* grid = window.findChild<QTableView*>(QStringLiteral("players"));
        emit grid->customContextMenuRequested(QPoint(4, 4));
        QTRY_VERIFY(window.menu()->isVisible());
        QVERIFY(!show->isVisible());
        window.menu()->hide();
        QVERIFY(show->isVisible());
        QVERIFY(cancel->isVisible());

        // Here the tray is no StatusNotifier host: a click does nothing, the double-click shows.
        window.hide();
        emit window.trayIcon().activated(QSystemTrayIcon::Trigger);
        QVERIFY(!window.isVisible());
        emit window.trayIcon().activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(window.isVisible());

        window.menu()->actions().at(1)->trigger();
        QTRY_COMPARE(windows.count(), 0);

        // Halo has no remote console here.
        windows.showServerWindow(QStringLiteral("127.0.0.1:2302"), QString(), QStringLiteral("Halo"), false);
        QVERIFY(!windows.window(QStringLiteral("127.0.0.1:2302"))->menu()->actions().last()->isEnabled());
    }
};

QTEST_MAIN(TestServerWindows)
#include "TestServerWindows.moc"
