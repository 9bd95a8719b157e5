#include "dialogs/DialogTesting.h"
#include "history/ServerHistoryWindow.h"
#include "support/MonitorFixture.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableView>
#include <QValueAxis>

using namespace trevisk;

namespace {

const QString Alpha = QStringLiteral("127.0.0.1:27960");
const QString Beta = QStringLiteral("127.0.0.1:27961");

// The chart's lines as the values they draw, one list per unbroken stretch.
QList<QList<double>> drawn(const ServerHistoryWindow& window)
{
    QList<QList<double>> lines;
    const auto* view = window.findChild<QChartView*>(QStringLiteral("Chart"));
    for (QAbstractSeries* series : view->chart()->series()) {
        QList<double> values;
        for (const QPointF& point : static_cast<QLineSeries*>(series)->points())
            values << point.y();
        lines << values;
    }
    return lines;
}

QString title(const QWidget& window)
{
    return window.findChild<QLabel*>(QStringLiteral("lblLabel"))->text();
}

} // namespace

class TestServerHistoryWindow : public QObject
{
    Q_OBJECT
private slots:
    // Players over five minutes first; the lists alone change nothing, "Refresh" draws what they say.
    void chartFollowsItsChoices()
    {
        ManualClock clock;
        History history;
        const QDateTime now = clock.now();
        history.append(now.addSecs(-20 * 60), Alpha, 90, 9);
        history.append(now.addSecs(-120), Alpha, 40, 5);
        history.append(now.addSecs(-90), Alpha, std::nullopt, std::nullopt);
        history.append(now.addSecs(-60), Alpha, 45, 6);
        history.append(now.addSecs(-30), Beta, 10, 1);

        ServerHistoryWindow window(history, clock);
        window.config(Alpha, QStringLiteral("Alpha <b>1</b>"));
        QCOMPARE(title(window), QStringLiteral("Players graph for 'Alpha <b>1</b>'"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblLabel"))->textFormat(), Qt::PlainText);
        QCOMPARE(drawn(window), (QList<QList<double>>{{5}, {6}}));
        auto* time = qobject_cast<QDateTimeAxis*>(window.chartView()->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(time);
        QCOMPARE(time->min(), now.addSecs(-300));
        QCOMPARE(time->max(), now);

        window.findChild<QComboBox*>(QStringLiteral("cmbType"))->setCurrentIndex(1);
        window.findChild<QComboBox*>(QStringLiteral("cmbInterval"))->setCurrentIndex(1);
        history.append(now.addSecs(30), Alpha, 50, 7);
        clock.advanceSecs(60);
        QCOMPARE(drawn(window), (QList<QList<double>>{{5}, {6}}));

        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdRefresh")), Qt::LeftButton);
        QCOMPARE(title(window), QStringLiteral("Ping graph for 'Alpha <b>1</b>'"));
        QCOMPARE(drawn(window), (QList<QList<double>>{{90, 40}, {45, 50}}));
        QCOMPARE(time->min(), clock.now().addSecs(-30 * 60));
        const auto* values = qobject_cast<QValueAxis*>(window.chartView()->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(values && values->max() >= 90 && values->min() == 0);
    }

    // The main window opens one modeless chart per server, the open one brought back.
    void mainWindowOpensOnePerServer()
    {
        MonitorFixture f;
        f.start();
        MainWindow main{{*f.monitor, f.context, f.prompter, f.reporter, f.popups.get(), nullptr, f.log.get()}};
        StatusRow alpha = statusRow(Alpha);
        alpha.name = QStringLiteral("Alpha");
        f.monitor->status().reset({alpha, statusRow(Beta)});

        main.grid()->selectRow(0);
        entry(&main, QStringLiteral("History Graph..."))->trigger();
        entry(&main, QStringLiteral("History Graph..."))->trigger();
        main.grid()->clearSelection();
        main.grid()->selectRow(1);
        entry(&main, QStringLiteral("History Graph..."))->trigger();
        const auto charts = main.findChildren<ServerHistoryWindow*>();
        QCOMPARE(charts.size(), 2);
        QStringList titles;
        for (const ServerHistoryWindow* chart : charts) {
            QVERIFY(chart->isVisible() && !chart->isModal());
            titles << title(*chart);
        }
        titles.sort();
        // A server that never answered is named by its address.
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("Players graph for '127.0.0.1:27961'"),
                              QStringLiteral("Players graph for 'Alpha'")}));
        QVERIFY(f.prompter.asked.isEmpty());
    }
};

QTEST_MAIN(TestServerHistoryWindow)
#include "TestServerHistoryWindow.moc"
