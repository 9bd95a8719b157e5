#include "history/History.h"
#include "history/HistorySeries.h"
#include "support/ManualClock.h"

#include <QTest>

using namespace trevisk;

namespace {

const QString Here = QStringLiteral("127.0.0.5:27960");
const QString Other = QStringLiteral("127.0.0.52:7960");

QList<double> values(const QList<QPointF>& segment)
{
    QList<double> result;
    for (const QPointF& point : segment)
        result << point.y();
    return result;
}

} // namespace

class TestHistorySeries : public QObject
{
    Q_OBJECT
private slots:
    // Only this server's points within the span, in time order, stamped in milliseconds.
    void pointsOfServerAndSpan()
    {
        ManualClock clock;
        History history;
        const QDateTime start = clock.now();
        history.append(start, Here, 70, 1);              // 10 minutes before the end
        history.append(start.addSecs(300), Here, 60, 2); // exactly 5 minutes before: in
        history.append(start.addSecs(360), Other, 10, 9);
        history.append(start.addSecs(480), Here, 50, 3);
        clock.advanceSecs(600);

        const HistorySeries players =
            historySeries(history, Here, QStringLiteral("Mine"), HistoryType::Players, 5, clock.now());
        QCOMPARE(players.segments.size(), size_t(1));
        QCOMPARE(values(players.segments[0]), (QList<double>{2, 3}));
        QCOMPARE(players.segments[0][0].x(), double(start.addSecs(300).toMSecsSinceEpoch()));
        QCOMPARE(players.since, start.addSecs(300));
        QCOMPARE(players.until, clock.now());
        QCOMPARE(players.maxValue, 3);

        const HistorySeries ping =
            historySeries(history, Here, QStringLiteral("Mine"), HistoryType::Ping, 30, clock.now());
        QCOMPARE(values(ping.segments[0]), (QList<double>{70, 60, 50}));
        QCOMPARE(ping.pointCount, 3);
        QCOMPARE(ping.maxValue, 70);

        // Nothing in the span still gives the title and the span; a name cannot break the title's line.
        for (const QString& address : {Here, Other, QStringLiteral("127.0.0.9:1")}) {
            const HistorySeries none =
                historySeries(history, address, QStringLiteral("A\nB"), HistoryType::Ping, 1, clock.now());
            QVERIFY(none.segments.empty());
            QCOMPARE(none.pointCount, 0);
            QCOMPARE(none.title, QStringLiteral("Ping graph for 'A\uFFFDB'"));
            QCOMPARE(none.since, clock.now().addSecs(-60));
        }
    }

    // A time without an answer breaks the line; it is never drawn as zero, and gaps at either
    // end or side by side leave no empty pieces.
    void gapsBreakTheLine()
    {
        ManualClock clock;
        History history;
        const auto at = [&](int seconds, std::optional<int> ping, std::optional<int> players) {
            history.append(clock.now().addSecs(seconds), Here, ping, players);
        };
        at(0, std::nullopt, std::nullopt);
        at(30, 40, 5);
        at(60, 45, 6);
        at(90, std::nullopt, std::nullopt);
        at(120, std::nullopt, std::nullopt);
        at(150, 0, 0); // an answer with nobody on is a real zero
        at(180, std::nullopt, std::nullopt);
        clock.advanceSecs(200);

        const HistorySeries players = historySeries(history, Here, QString(), HistoryType::Players, 5, clock.now());
        QCOMPARE(players.segments.size(), size_t(2));
        QCOMPARE(values(players.segments[0]), (QList<double>{5, 6}));
        QCOMPARE(values(players.segments[1]), (QList<double>{0}));
        QCOMPARE(players.pointCount, 3);
        const HistorySeries ping = historySeries(history, Here, QString(), HistoryType::Ping, 5, clock.now());
        QCOMPARE(values(ping.segments[0]), (QList<double>{40, 45}));
    }
};

QTEST_GUILESS_MAIN(TestHistorySeries)
#include "TestHistorySeries.moc"
