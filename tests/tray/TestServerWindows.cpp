#include "core/Routines.h"
#include "icons/TrayIconPainter.h"
#include "support/MonitorFixture.h"
#include "tray/DetailsTableModel.h"
#include "tray/ServerWindows.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QWindow>

using namespace trevisk;

class TestServerWindows : public QObject
{
    Q_OBJECT
private slots:
    // The first click sorts descending, the next (on any column) ascending; updates keep the order.
    void detailsSortToggle()
    {
        DetailsTableModel model({{QStringLiteral("ID"), true}, {QStringLiteral("Name"), false}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // The names in the order shown, after new rows of these names when there are any.
        const auto shown = [&](const char* names) {
            std::vector<DetailsTableModel::Row> rows;
            for (const char* name = names; *name; ++name)
                rows.push_back({{QString::number(rows.size() + 1), QString(QLatin1Char(*name))}, false, {}});
            if (!rows.empty())
                model.setRows(rows);
            QString text;
            for (const auto& row : model.rows())
                text += row.cells.at(1);
            return text;
        };
        QCOMPARE(shown("bca"), QStringLiteral("bca"));
        model.headerClicked(0);
        QCOMPARE(shown(""), QStringLiteral("acb"));
        model.headerClicked(1);
        QCOMPARE(shown(""), QStringLiteral("abc"));
        QCOMPARE(shown("zyxwvutsrqp"), QStringLiteral("pqrstuvwxyz"));
        model.headerClicked(0);
        QCOMPARE(model.rows().front().cells.at(0), QStringLiteral("11"));
        const auto players = DetailsTableModel::playerRows(
            {{QStringLiteral("bob"), QStringLiteral("N/A"), QStringLiteral("40"), true, {}, QStringLiteral("2:05")}});
        QCOMPARE(players.front().cells.join(QLatin1Char('|')), QStringLiteral("1|bob|40||2:05"));
        QVERIFY(players.front().highlighted);
    }

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
        ServerDetailsWindow& window = *windows.window(server.address());
        QVERIFY(windows.count() == 1 && window.isVisible());
        QCOMPARE(window.windowTitle() + window.findChild<QLabel*>(QStringLiteral("state"))->text(),
                 server.address() + QStringLiteral("State: up"));
        // The desktop's close box only hides; a close by the program, as quitting does, goes through.
        window.windowHandle()->close();
        QVERIFY(!window.isVisible() && windows.count() == 1);
        window.showPlayers();
        QVERIFY(window.close() && !window.isVisible());

        const auto player = [](const char* name, bool isFriend = false) {
            return Player{QString::fromLatin1(name), QStringLiteral("1"), QStringLiteral("50"), isFriend, {}, {}};
        };
        const QString lab = QStringLiteral("Lab");
        const SettingsTable settings{{QStringLiteral("sv_hostname"), lab}};
        const auto update = [&](const PlayerTable& players, int friends, const QString& map) {
            windows.updateDetails(
                {server.address(), lab, QStringLiteral("Quake 3"), players, friends, map, settings, 2});
        };
        update({}, 0, {});
        QVERIFY(f.sound.played.isEmpty());
        update({player("a"), player("bob", true)}, 1, QStringLiteral("q3dm6"));
        QCOMPARE(f.sound.played, QStringList{sound});
        QCOMPARE(window.trayIcon().toolTip(), plainTip(QStringLiteral("Lab...\r\nQuake 3 (1 friends) Map: q3dm6")));
        QCOMPARE(window.windowTitle(), lab);
        QVERIFY(window.players().rowCount() == 2 && window.settings().rowCount() == 1);

        // Full by the window's own grid: "Join when Free" arms it; a free slot at the next update joins.
        f.prompter.choices << 0;
        window.menu()->actions().at(6)->trigger();
        QVERIFY(window.autoJoinFlag() && f.monitor->isAutoJoin(server.address()) && f.launcher.launches.isEmpty());
        update({player("a")}, 0, {});
        QTRY_COMPARE(f.launcher.launches.size(), 1);
        // The monitor disarms; these windows are not the fixture's, so their flags are not cleared here.
        QCOMPARE(f.windows.flags.last(), QStringLiteral("all off"));

        windows.setTimeOut(server.address());
        QVERIFY(window.trayIcon().toolTip().contains(QStringLiteral("(0 friends)")));
        windows.setState(server.address(), ServerState::Refused, {});
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("state"))->text(), QStringLiteral("State: refused"));
        QVERIFY(window.icon().tip().endsWith(QStringLiteral("\r\nrefused")));
        windows.closeServerWindow(server.address());
        QCOMPARE(windows.count(), 0);

        // The tray icon's menu snoozes the server's alerts and says until when; the window shows its
        // uptime. "Close Window" unloads the window once the menu has returned.
        windows.showServerWindow(server.address(), QString(), QStringLiteral("Quake 3"), true);
        ServerDetailsWindow& again = *windows.window(server.address());
        QVERIFY(f.refresh(server));
        QCOMPARE(again.findChild<QLabel*>(QStringLiteral("uptime"))->text(),
                 QStringLiteral("Uptime: last day 100%, week 100%, 30 days 100%"));

        auto* snooze = again.findChild<QMenu*>(QStringLiteral("snoozeMenu"));
        emit again.menu()->aboutToShow();
        QVERIFY(!snooze->findChild<QAction*>(QStringLiteral("alertsOn"))->isEnabled());
        snooze->actions().at(1)->trigger();
        QVERIFY(f.monitor->alertsSnoozed(server.address()));
        emit again.menu()->aboutToShow();
        QCOMPARE(snooze->title(), QStringLiteral("Snoo&ze Alerts (until 20:00)"));
        snooze->findChild<QAction*>(QStringLiteral("alertsOn"))->trigger();
        QVERIFY(!f.monitor->alertsSnoozed(server.address()));
        emit again.menu()->aboutToShow();
        QCOMPARE(snooze->title(), QStringLiteral("Snoo&ze Alerts"));
        QVERIFY(again.menu()->actions().last()->isEnabled());

        // The menu stands ready for a host that reads it without asking first: "Show Window" is in
        // it, "Cancel Auto-Join" only while armed; a grid's pop-up leaves out "Show Window" while open.
        QAction* show = again.menu()->actions().at(0);
        QAction* cancel = again.menu()->actions().at(5);
        QVERIFY(show->isVisible() && !cancel->isVisible());
        again.setAutoJoinFlag(true);
        QVERIFY(cancel->isVisible());
        auto* grid = again.findChild<QTableView*>(QStringLiteral("players"));
        emit grid->customContextMenuRequested(QPoint(4, 4));
        QTRY_VERIFY(again.menu()->isVisible());
        QVERIFY(!show->isVisible());
        again.menu()->hide();
        QVERIFY(show->isVisible() && cancel->isVisible());

        // Here the tray is no StatusNotifier host: a click does nothing, the double-click shows.
        again.hide();
        emit again.trayIcon().activated(QSystemTrayIcon::Trigger);
        QVERIFY(!again.isVisible());
        emit again.trayIcon().activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(again.isVisible());

        again.menu()->actions().at(1)->trigger();
        QTRY_COMPARE(windows.count(), 0);

        // Halo has no remote console here.
        windows.showServerWindow(QStringLiteral("127.0.0.1:2302"), QString(), QStringLiteral("Halo"), false);
        QVERIFY(!windows.window(QStringLiteral("127.0.0.1:2302"))->menu()->actions().last()->isEnabled());
    }
};

QTEST_MAIN(TestServerWindows)
#include "TestServerWindows.moc"
