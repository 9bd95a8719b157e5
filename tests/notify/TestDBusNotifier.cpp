#include "notify/DBusNotifier.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QVariantMap>

using namespace trevisk;

// A notification service on a private bus that records each Notify call.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;

public slots:
    uint Notify(const QString& app,
                uint,
                const QString& icon,
                const QString& summary,
                const QString& body,
                const QStringList&,
                const QVariantMap& hints,
                int timeout)
    {
        calls << QStringList{app, icon, summary, body, hints.value(QStringLiteral("desktop-entry")).toString()}.join(
                     QLatin1Char('|'))
                     + QLatin1Char('|') + QString::number(timeout);
        return static_cast<uint>(calls.size());
    }
};

class TestDBusNotifier : public QObject
{
    Q_OBJECT
private slots:
    // On a bus of the test's own: the service gets the call, its first line as the summary and the
    // rest as the body, both escaped for services that read markup; with no service, or no bus, the
    // text comes back undelivered.
    void privateBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess bus;
        bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(bus.waitForStarted());
        while (!bus.canReadLine())
            QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QDBusConnection serviceSide = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        QDBusConnection clientSide = QDBusConnection::connectToBus(address, QStringLiteral("client"));
        QVERIFY(serviceSide.isConnected() && clientSide.isConnected());
        FakeNotifications service;
        QVERIFY(serviceSide.registerObject(
            QString::fromLatin1(DBusNotifier::Path), &service, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceSide.registerService(QString::fromLatin1(DBusNotifier::Service)));

        DBusNotifier notifier(clientSide);
        int undelivered = 0;
        notifier.notify(QStringLiteral("Lab <b>Arena</b> is back online!\r\nmap <q3dm17> & co\r\nend"),
                        [&] { ++undelivered; });
        QTRY_COMPARE(service.calls.size(), 1);
        QCOMPARE(service.calls.first(),
                 QStringLiteral(
                     "Trevisk|trevisk|Lab &lt;b&gt;Arena&lt;/b&gt; is back online!|map &lt;q3dm17&gt; &amp; co\nend|"
                     "org.trevisk.Trevisk|-1"));

        QVERIFY(serviceSide.unregisterService(QString::fromLatin1(DBusNotifier::Service)));
        notifier.notify(QStringLiteral("nobody listens"), [&] { ++undelivered; });
        QTRY_COMPARE(undelivered, 1);
        QCOMPARE(service.calls.size(), 1);

        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        bus.kill();
        bus.waitForFinished();

        DBusNotifier offline(QDBusConnection(QStringLiteral("no such bus")));
        offline.notify(QStringLiteral("no bus"), [&] { ++undelivered; });
        QCOMPARE(undelivered, 2);
    }
};

QTEST_GUILESS_MAIN(TestDBusNotifier)
#include "TestDBusNotifier.moc"
