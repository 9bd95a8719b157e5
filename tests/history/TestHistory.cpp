#include "history/History.h"

#include <QTest>

using namespace trevisk;

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    // The compact rows read back as the plain points they were written from.
    void historyRowsReadBackAsWritten_data()
    {
        QTest::addColumn<QList<int>>("gaps");  // seconds after the row before
        QTest::addColumn<QList<int>>("pings"); // -1: no answer
        QTest::addColumn<QList<int>>("players");
        QTest::newRow("steady") << QList<int>{0, 30, 30, 30} << QList<int>{40, 41, 39, 40} << QList<int>{3, 3, 4, 3};
        QTest::newRow("real zero kept") << QList<int>{0, 30, 30} << QList<int>{0, 0, 1} << QList<int>{0, 0, 0};
        QTest::newRow("gaps of silence") << QList<int>{0, 30, 30, 30, 45} << QList<int>{50, -1, -1, 52, -1}
                                         << QList<int>{2, -1, -1, 5, -1};
        QTest::newRow("silent first") << QList<int>{0, 30} << QList<int>{-1, 7} << QList<int>{-1, 0};
        QTest::newRow("9999 pings and big jumps")
            << QList<int>{0, 1, 20000, 2, 0, 30} << QList<int>{9999, 3, 40000, 9999, 0, 32767}
            << QList<int>{0, 64, 1000, 0, 70000, 1};
        QTest::newRow("clock goes back") << QList<int>{0, 30, -20, 30} << QList<int>{10, 20, 30, 40}
                                         << QList<int>{1, 2, 3, 4};
    }

    void historyRowsReadBackAsWritten()
    {
        QFETCH(QList<int>, gaps);
        QFETCH(QList<int>, pings);
        QFETCH(QList<int>, players);
        History history;
        QDateTime at(QDate(2026, 12, 6), QTime(6, 0));
        std::vector<History::Point> plain;
        for (int i = 0; i < gaps.size(); ++i) {
            at = at.addSecs(gaps[i]);
            const bool answered = pings[i] >= 0;
            history.append(at,
                           QStringLiteral("a:1"),
                           answered ? std::optional(pings[i]) : std::nullopt,
                           answered ? std::optional(players[i]) : std::nullopt);
            // Another server's rows in between must not disturb this one's.
            history.append(at, QStringLiteral("b:2"), i, 1);
            const auto clamp = [&](int value) { return qint16(answered ? std::min(value, 32767) : -1); };
            plain.push_back({quint32(at.toSecsSinceEpoch()), 0, clamp(pings[i]), clamp(players[i])});
        }
        const auto points = history.pointsOf(QStringLiteral("a:1"));
        QCOMPARE(points.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) {
            QCOMPARE(points[i].stamp, plain[i].stamp);
            QCOMPARE(points[i].server, quint32(0));
            QCOMPARE(points[i].ping, plain[i].ping);
            QCOMPARE(points[i].players, plain[i].players);
        }
        QCOMPARE(history.rowCount(), qint64(2 * plain.size()));
    }

    // Six hours of rounds at the default refresh: a row takes about two bytes, the oldest go,
    // a server that stopped getting rows loses its old ones too, and a purge empties every one.
    void historyKeepsSixHoursCompactly()
    {
        static_assert(sizeof(History::Point) <= 16);
        History history;
        const QDateTime start(QDate(2026, 12, 6), QTime(6, 0));
        constexpr int Rounds = 6 * 120 + 40;
        for (int round = 0; round < Rounds; ++round) {
            const QDateTime at = start.addSecs(30 * round);
            for (int server = 0; server < 20; ++server) {
                const bool answered = (round + server) % 17 != 0;
                history.append(at,
                               QStringLiteral("10.0.0.%1:1").arg(server),
                               answered ? std::optional(20 + (round * 7 + server) % 61) : std::nullopt,
                               answered ? std::optional(round / 50 % 9) : std::nullopt);
            }
            if (round == 10)
                history.append(at, QStringLiteral("gone:1"), 5, 5);
        }
        QCOMPARE(history.rowCount(), qint64(20 * 721));
        QVERIFY(history.pointsOf(QStringLiteral("gone:1")).empty());
        const auto kept = history.pointsOf(QStringLiteral("10.0.0.3:1"));
        QCOMPARE(kept.size(), size_t(721));
        QCOMPARE(kept.front().stamp, quint32(start.addSecs(30 * (Rounds - 721)).toSecsSinceEpoch()));
        QCOMPARE(kept.back().ping, qint16(20 + ((Rounds - 1) * 7 + 3) % 61));
        QCOMPARE(history.addressOf(kept.front().server), QStringLiteral("10.0.0.3:1"));
        QCOMPARE(history.idOf(QStringLiteral("10.0.0.1:1")), quint32(1));
        QVERIFY2(history.rowBytes() <= 3 * history.rowCount(), qPrintable(QString::number(history.rowBytes())));
        history.clear();
        QCOMPARE(history.rowCount(), qint64(0));
        QVERIFY(history.points().empty());
        history.append(start.addSecs(30 * Rounds), QStringLiteral("10.0.0.3:1"), 0, 0);
        QCOMPARE(history.pointsOf(QStringLiteral("10.0.0.3:1")).size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "TestHistory.moc"
