#include "core/Translations.h"
#include "notify/DBusNotifier.h"
#include "notify/NotificationQueue.h"
#include "notify/NotifyWindow.h"
#include "support/FastQueue.h"
#include "support/ManualClock.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVariantMap>

using namespace trevisk;
using namespace std::chrono_literals;

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

// The pop-up window, and the desktop's notification service instead of it.
class TestNotifyWindow : public QObject
{
    Q_OBJECT
private:
    ManualClock m_clock;
    QRect m_screen;
    qreal m_dpi = 96;

private slots:
    void initTestCase()
    {
        m_screen = QGuiApplication::primaryScreen()->geometry();
        m_dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    }

    // The buttons' texts fit their fixed width, in English and in German.
    void buttonsFit()
    {
        for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German)}) {
            Translations::load(locale);
            const auto english = qScopeGuard([] { Translations::unload(); });
            auto queue = fastQueue(m_clock, 10s);
            NotifyWindow window(*queue);
            queue->setMessage(QStringLiteral("Lab Arena has gone offline!"));
            for (const QPushButton* button : window.findChildren<QPushButton*>()) {
                QVERIFY(locale == QLocale::c() || !button->text().startsWith(QLatin1String("Dismiss")));
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 4 <= button->width(),
                         qPrintable(button->text()));
            }
        }
    }

    // The window follows the queue (whose path the queue's own test checks) and hides at the end.
    void followsARun()
    {
        auto queue = fastQueue(m_clock, 10ms);
        NotifyWindow window(*queue);
        QList<QPoint> positions;
        connect(queue.get(), &NotificationQueue::showRequested, this, [&] { positions << window.pos(); });
        connect(queue.get(), &NotificationQueue::moved, this, [&](QPoint twips) {
            QCOMPARE(window.pos(), m_screen.topLeft() + (QPointF(twips) * m_dpi / 1440).toPoint());
            positions << window.pos();
        });
        QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);

        queue->setMessage(QStringLiteral("Lab Arena has gone offline!"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.size(), QSize(qRound(2250 * m_dpi / 1440), qRound(3015 * m_dpi / 1440)));
        QVERIFY(hidden.wait(5000));
        QVERIFY(!window.isVisible());

        const auto highest =
            std::min_element(positions.cbegin(), positions.cend(), [](QPoint a, QPoint b) { return a.y() < b.y(); });
        // Measured on the whole screen, not the work area: 200 twips from the right, resting at the bottom.
        const QPoint gap = m_screen.bottomRight() + QPoint(1, 1) - *highest - QPoint(window.width(), window.height());
        QVERIFY2(qAbs(gap.x() - 200 * m_dpi / 1440) <= 1 && gap.y() >= 0 && gap.y() <= 17,
                 qPrintable(QStringLiteral("%1,%2").arg(gap.x()).arg(gap.y())));
    }

    // The buttons, the label and the bare window all dismiss; "Dismiss All" also drops the texts
    // that wait, and the queue shows nothing more until a new text comes, though it was dropped.
    void clicksDismiss_data()
    {
        QTest::addColumn<QString>("target"); // none: the bare window
        for (const char* target : {"cmdDismiss", "cmdDismissAll", "lblMsg", ""})
            QTest::newRow(*target ? target : "background") << QString::fromLatin1(target);
    }
    void clicksDismiss()
    {
        QFETCH(QString, target);
        auto queue = fastQueue(m_clock, 1h);
        NotifyWindow window(*queue);
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);
        for (const char* text : {"A", "B"})
            queue->setMessage(QString::fromLatin1(text));
        QTRY_COMPARE_WITH_TIMEOUT(queue->state(), NotificationQueue::State::Resting, 5000);
        // The bare window: right of "Dismiss All", above the label.
        QWidget* clicked = target.isEmpty() ? &window : window.findChild<QWidget*>(target);
        QTest::mouseClick(clicked, Qt::LeftButton, {}, target.isEmpty() ? QPoint(window.width() - 4, 4) : QPoint());
        QCOMPARE(queue->state(), NotificationQueue::State::SlidingOut);
        const bool all = target == QLatin1String("cmdDismissAll");
        QCOMPARE(queue->waiting().size(), all ? 0u : 1u);
        QVERIFY(hidden.wait(5000));
        if (all) {
            QVERIFY(!window.isVisible());
            QVERIFY(!shown.wait(60)); // four poll ticks find nothing to show
            queue->setMessage(QStringLiteral("B"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 5000);
        QCOMPARE(shown.last().at(0).toString(), QStringLiteral("B"));
    }

    // Colours come as 0x00BBGGRR: text in red on blue must not come out swapped.
    void coloursOfEachShow()
    {
        auto queue = fastQueue(m_clock, 1h);
        NotifyWindow window(*queue);
        queue->setColours(0x000000FF, 0x00FF0000);
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        queue->setMessage(QStringLiteral("\u2588\u2588\u2588")); // full blocks: glyphs of solid text colour
        QImage image = window.grab().toImage();
        const QLabel* label = window.findChild<QLabel*>(QStringLiteral("lblMsg"));
        QCOMPARE(QColor(image.pixel(label->geometry().topLeft() + QPoint(8, 8))), QColor(Qt::blue));
        const QImage text = image.copy(label->geometry().adjusted(4, 0, -4, 0)).convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(text.constBits());
        QVERIFY(std::any_of(pixels, pixels + text.width() * text.height(), [](QRgb pixel) {
            return qRed(pixel) > 200 && qBlue(pixel) < 50;
        }));

        // The next show brings its own colours.
        queue->dismiss();
        QTRY_COMPARE_WITH_TIMEOUT(queue->state(), NotificationQueue::State::Idle, 5000);
        queue->setColours(0x00000000, 0x0000FFFF);
        queue->setMessage(QStringLiteral("B"));
        QVERIFY(shown.wait(5000)); // the next poll tick
        image = window.grab().toImage();
        QCOMPARE(QColor(image.pixel(label->geometry().topLeft() + QPoint(8, 8))), QColor(Qt::yellow));
    }

    // The settings dialog's test: shown at once, flush right, in the colours given; it goes away
    // by itself and never touches a queue of the program.
    void testWindowOfItsOwn()
    {
        QPointer<NotifyWindow> window = NotifyWindow::showTest(
            QStringLiteral("This is a test message of the Notification System"), 0x00000000, 0x0000FF00);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->x(), m_screen.right() + 1 - window->width());
        QCOMPARE(window->y(), m_screen.bottom() + 1);
        const QImage image = window->grab().toImage();
        QCOMPARE(QColor(image.pixel(10, 40)), QColor(Qt::green));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdDismiss")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    }

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

QTEST_MAIN(TestNotifyWindow)
#include "TestNotifyWindow.moc"
