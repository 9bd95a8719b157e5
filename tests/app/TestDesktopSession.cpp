#include "sim/SimServer.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// A panel's StatusNotifierWatcher, with a host registered: Qt then puts its tray icons on D-Bus.
class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registered)
public:
    QStringList items; // bus name of each item's owner, then its service name
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList registered() const { return items; }

public slots:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        items << (service.startsWith(QLatin1Char('/')) ? message.service() : service);
    }
    void RegisterStatusNotifierHost(const QString&) {}
};

// The desktop's notification service, recording the summary of each notification.
class Notifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries;

public slots:
    uint Notify(const QString&,
                uint,
                const QString&,
                const QString& summary,
                const QString&,
                const QStringList&,
                const QVariantMap&,
                int)
    {
        summaries << summary;
        return static_cast<uint>(summaries.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
};

// A call answered while the test's own objects keep serving the bus.
QDBusMessage call(const QDBusConnection& bus, const QDBusMessage& message)
{
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, 10000));
    QSignalSpy done(&watcher, &QDBusPendingCallWatcher::finished);
    if (!watcher.isFinished())
        done.wait(15000);
    return watcher.reply();
}

// The labels of the visible top-level entries of a com.canonical.dbusmenu layout, as a host shows them.
QStringList menuLabels(const QDBusConnection& bus, const QString& service)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service,
                                                      QStringLiteral("/StatusNotifierItem"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    const QDBusMessage menu = call(bus, get << ItemInterface << QStringLiteral("Menu"));
    const auto path = menu.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>();
    get = QDBusMessage::createMethodCall(
        service, path.path(), QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"));
    const QDBusMessage reply = call(bus, get << 0 << -1 << QStringList());
    if (reply.arguments().size() < 2)
        return {QStringLiteral("no layout: ") + reply.errorMessage()};
    const auto layout = reply.arguments().at(1).value<QDBusArgument>();
    int id = 0;
    QVariantMap properties;
    QStringList labels;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const auto entry = child.variant().value<QDBusArgument>();
        entry.beginStructure();
        entry >> id >> properties;
        entry.endStructure();
        if (properties.value(QStringLiteral("visible"), true).toBool()
            && properties.value(QStringLiteral("type")).toString() != QLatin1String("separator"))
            labels << properties.value(QStringLiteral("label")).toString();
    }
    layout.endArray();
    layout.endStructure();
    return labels;
}

// What the program wrote on its error output, without the Wayland protocol trace.
QStringList errorLines(const QByteArray& err)
{
    static const QRegularExpression trace(QStringLiteral("^\\[\\s*\\d+\\.\\d+\\]"));
    QStringList lines = QString::fromUtf8(err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return trace.match(line).hasMatch(); });
    return lines;
}

// Ends the program as the session's end does, serving the bus meanwhile: it may still ask the test's objects.
bool stop(QProcess& trevisk)
{
    QSignalSpy finished(&trevisk, &QProcess::finished);
    trevisk.terminate();
    return finished.wait(10000) && trevisk.exitStatus() == QProcess::NormalExit;
}

} // namespace

// The program on today's Linux desktop: a Wayland session with its own compositor and session bus,
// once with a StatusNotifier tray host and once without any tray.
class TestDesktopSession : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_runtime;
    QProcess m_bus;
    QProcess m_compositor;
    QString m_busAddress;
    const QString m_socket = QStringLiteral("trevisk-test");

    // Starts the program in the session; with `trace`, the Wayland protocol trace shows which
    // windows it puts on screen.
    void launch(QProcess& trevisk, const QStringList& arguments, bool trace = false) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (trace)
            environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        environment.insert(QStringLiteral("HOME"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_runtime.filePath(QStringLiteral("config")));
        // In the sanitizer build, the Wayland and graphics libraries' own allocations that they keep
        // until the process ends are not the program's leaks; every other test checks those.
        if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
            environment.insert(QStringLiteral("ASAN_OPTIONS"),
                               environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        trevisk.setProcessEnvironment(environment);
        trevisk.start(QStringLiteral(TREVISK_BINARY), arguments);
    }

    // A connection of its own on the session bus, serving the object under the service's name.
    QDBusConnection serve(const QString& path, QObject* object, const QString& service)
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, service);
        bus.registerObject(path, object, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        bus.registerService(service);
        return bus;
    }

private slots:
    void initTestCase()
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        QVERIFY2(!weston.isEmpty() && !daemon.isEmpty(), "weston or dbus-daemon is missing: run scripts/setup.sh");
        QVERIFY(m_runtime.isValid());
        m_bus.start(daemon, QStringLiteral("--session --nofork --print-address").split(QLatin1Char(' ')));
        QVERIFY(m_bus.waitForStarted());
        while (!m_bus.canReadLine())
            QVERIFY(m_bus.waitForReadyRead(10000));
        m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_compositor.setProcessEnvironment(environment);
        m_compositor.setProcessChannelMode(QProcess::MergedChannels);
        m_compositor.start(weston,
                           QStringLiteral("--backend=headless-backend.so --socket=%1 --idle-time=0 --no-config")
                               .arg(m_socket)
                               .split(QLatin1Char(' ')));
        const QString socket = m_runtime.filePath(m_socket);
        QTest::qWaitFor([&] { return QFile::exists(socket) || m_compositor.state() == QProcess::NotRunning; }, 10000);
        if (!QFile::exists(socket))
            QSKIP(qPrintable(QStringLiteral("the compositor cannot start here: ")
                             + QString::fromLocal8Bit(m_compositor.readAll()).trimmed().right(300)));
    }

    void cleanupTestCase()
    {
        for (QProcess* process : {&m_compositor, &m_bus}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished();
            }
        }
    }

    // With a StatusNotifier host, as a panel uses them: the items register with the watcher, a click
    // (Activate) shows the main window, refreshing every server the first time, or the server's
    // details window; the menus read over com.canonical.dbusmenu offer "Show Window" without a
    // context-menu request first.
    void statusNotifierHost()
    {
        Watcher watcher;
        QDBusConnection bus = serve(QStringLiteral("/StatusNotifierWatcher"), &watcher, WatcherService);
        QVERIFY(bus.isConnected());

        SimServer server(QStringLiteral("Quake 3"));
        QVERIFY(server.start());
        server.state().hostname = "Lab Arena";
        QSignalSpy queries(&server, &SimServer::requestReceived);
        QTemporaryDir data;
        QVERIFY(writeFile(data.filePath(QStringLiteral("t.ini")), "[Settings]\nMainTray=1\n"));
        const QStringList folders = inFolder(data);
        QCOMPARE(runTrevisk(args("servers|add|Quake 3") << server.address() << args("--tray|1") << folders).code, 0);

        QProcess trevisk;
        launch(trevisk, folders, true);
        QByteArray err;
        const auto shownTitles = [&] {
            err += trevisk.readAllStandardError();
            static const QRegularExpression title(QStringLiteral("xdg_toplevel@\\d+\\.set_title\\(\"([^\"]*)\"\\)"));
            QStringList titles;
            for (auto it = title.globalMatch(QString::fromUtf8(err)); it.hasNext();)
                titles << it.next().captured(1);
            return titles;
        };

        QTRY_COMPARE_WITH_TIMEOUT(watcher.items.size(), 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(queries.size() >= 1, 10000);
        QString mainItem = watcher.items[0], serverItem = watcher.items[1];
        if (!menuLabels(bus, mainItem).contains(QStringLiteral("_Refresh All")))
            std::swap(mainItem, serverItem);
        QCOMPARE(menuLabels(bus, mainItem),
                 QStringLiteral("_Show Window...|_Refresh All|_Exit").split(QLatin1Char('|')));
        QCOMPARE(menuLabels(bus, serverItem).mid(0, 3),
                 QStringLiteral("_Show Window|_Close Window|_Refresh").split(QLatin1Char('|')));
        QVERIFY(!shownTitles().contains(QStringLiteral("Ostravel Trevisk")));

        const auto activate = [&](const QString& item) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                item, QStringLiteral("/StatusNotifierItem"), ItemInterface, QStringLiteral("Activate"));
            return call(bus, message << 10 << 10).type() == QDBusMessage::ReplyMessage;
        };
        const qsizetype before = queries.size();
        QVERIFY(activate(mainItem));
        QTRY_VERIFY_WITH_TIMEOUT(shownTitles().contains(QStringLiteral("Ostravel Trevisk")), 10000);
        QTRY_VERIFY(queries.size() > before);
        QVERIFY(activate(serverItem));
        QTRY_VERIFY_WITH_TIMEOUT(shownTitles().contains(QStringLiteral("Lab Arena")), 10000);

        QVERIFY(stop(trevisk));
        shownTitles();
        QCOMPARE(errorLines(err), QStringList());
        // The desktop placed the window: its size is kept, a position it never had is not.
        const QSettings stored(folders.last(), QSettings::IniFormat);
        QVERIFY(stored.contains(QStringLiteral("Window/Width")) && !stored.contains(QStringLiteral("Window/Top"))
                && !stored.contains(QStringLiteral("Window/Left")));
        QDBusConnection::disconnectFromBus(WatcherService);
    }

    // Without any tray, the demo's pop-ups reach the desktop's notification service, and the error
    // output stays clean apart from one word about the missing sound device.
    void waylandDemo()
    {
        Notifications notifications;
        const QString service = QStringLiteral("org.freedesktop.Notifications");
        QVERIFY(serve(QStringLiteral("/org/freedesktop/Notifications"), &notifications, service).isConnected());

        QProcess trevisk;
        launch(trevisk, {QStringLiteral("--demo")});
        // The demo's players arrive 12 seconds in; the next refresh after that tells.
        QTRY_VERIFY_WITH_TIMEOUT(notifications.summaries.size() >= 2, 40000);
        QCOMPARE(notifications.summaries.first(), QStringLiteral("Ostravel Trevisk Loaded...."));
        QVERIFY(stop(trevisk));
        QStringList lines = errorLines(trevisk.readAllStandardError());
        QVERIFY2(lines.filter(QStringLiteral("No audio device")).size() <= 1,
                 qPrintable(lines.join(QLatin1Char('\n'))));
        // Qt's own word on a missing sound server comes once as well.
        lines.removeIf([](const QString& line) {
            return line.startsWith(QLatin1String("No audio device")) || line.startsWith(QLatin1String("PulseAudio"));
        });
        QCOMPARE(lines, QStringList());
        QDBusConnection::disconnectFromBus(service);
    }
};

QTEST_GUILESS_MAIN(TestDesktopSession)
#include "TestDesktopSession.moc"
