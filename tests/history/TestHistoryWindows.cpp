#include "history/MessageHistoryWindow.h"
#include "history/ServerHistoryWindow.h"
#include "support/MonitorFixture.h"

#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QValueAxis>

using namespace trevisk;

namespace {

const QString Alpha = QStringLiteral("127.0.0.1:27960");

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

} // namespace

class TestHistoryWindows : public QObject
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
        history.append(now.addSecs(-30), QStringLiteral("127.0.0.1:27961"), 10, 1);

        ServerHistoryWindow window(history, clock);
        window.config(Alpha, QStringLiteral("Alpha <b>1</b>"));
        const auto* title = window.findChild<QLabel*>(QStringLiteral("lblLabel"));
        QVERIFY(title->text() == QStringLiteral("Players graph for 'Alpha <b>1</b>'")
                && title->textFormat() == Qt::PlainText);
        QCOMPARE(drawn(window), (QList<QList<double>>{{5}, {6}}));
        auto* time = qobject_cast<QDateTimeAxis*>(window.chartView()->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(time && time->min() == now.addSecs(-300) && time->max() == now);

        window.findChild<QComboBox*>(QStringLiteral("cmbType"))->setCurrentIndex(1);
        window.findChild<QComboBox*>(QStringLiteral("cmbInterval"))->setCurrentIndex(1);
        history.append(now.addSecs(30), Alpha, 50, 7);
        clock.advanceSecs(60);
        QCOMPARE(drawn(window), (QList<QList<double>>{{5}, {6}}));

        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdRefresh")), Qt::LeftButton);
        QCOMPARE(title->text(), QStringLiteral("Ping graph for 'Alpha <b>1</b>'"));
        QCOMPARE(drawn(window), (QList<QList<double>>{{90, 40}, {45, 50}}));
        QCOMPARE(time->min(), clock.now().addSecs(-30 * 60));
        const auto* values = qobject_cast<QValueAxis*>(window.chartView()->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(values && values->max() >= 90 && values->min() == 0);
    }

    // Newest first, and a line logged while the window is open goes to the top.
    void messagesNewestFirst()
    {
        MonitorFixture f;
        f.log->logMessage(QStringLiteral("Alpha has gone offline!"));
        MessageHistoryWindow window(*f.log);
        for (const char* text : {"Alpha is back online!", "Bob has logged on to Alpha"}) {
            f.clock.advanceSecs(5);
            f.log->logMessage(QString::fromLatin1(text));
        }
        const QAbstractItemModel* model = window.grid()->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 1).data().toString();
        QCOMPARE(texts.join(QLatin1Char('|')),
                 QStringLiteral("Bob has logged on to Alpha|Alpha is back online!|Alpha has gone offline!"));
        QVERIFY(model->index(0, 0).data().toString().contains(
            QLocale::system().toString(f.clock.now().time(), QLocale::LongFormat)));
    }
};

QTEST_MAIN(TestHistoryWindows)
#include "TestHistoryWindows.moc"
