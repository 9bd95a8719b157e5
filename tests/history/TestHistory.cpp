#include "history/History.h"
#include "history/HistorySeries.h"
#include "support/ManualClock.h"

#include <QTest>

using namespace trevisk;

namespace {

const QString Here = QStringLiteral("127.0.0.5:27960");
const QString Other = QStringLiteral("127.0.0.52:7960");

// A series' pieces as the values they draw.
QList<QList<double>> values(const HistorySeries& series)
{
    QList<QList<double>> pieces;
    for (const QList<QPointF>& segment : series.segments) {
        pieces.emplace_back();
        for (const QPointF& point : segment)
            pieces.last() << point.y();
    }
    return pieces;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
    // Writes the rows (seconds after the row before, ping and players) and reads them back.
    static void readsBackAsWritten(const QByteArray& rows)
    {
        History history;
        QDateTime at(QDate(2026, 12, 6), QTime(6, 0));
        QList<std::tuple<quint32, quint32, qint16, qint16>> plain, read;
        qint64 latest = 0;
        for (const QByteArray& row : rows.split(',')) {
            const QList<QByteArray> f = row.trimmed().split(' ');
            const int ping = f[1].toInt();
            at = at.addSecs(f[0].toInt());
            const bool answered = ping >= 0;
            history.append(at,
                           QStringLiteral("a:1"),
                           answered ? std::optional(ping) : std::nullopt,
                           answered ? std::optional(f[2].toInt()) : std::nullopt);
            // Another server's rows in between must not disturb this one's.
            history.append(at, QStringLiteral("b:2"), int(plain.size()), 1);
            const auto clamp = [&](int value) { return qint16(answered ? std::min(value, 32767) : -1); };
            plain.append({quint32(at.toSecsSinceEpoch()), 0, clamp(ping), clamp(f[2].toInt())});
            latest = std::max(latest, at.toSecsSinceEpoch());
        }
        plain.removeIf([&](const auto& row) { return std::get<0>(row) < latest - History::KeepSeconds; });
        for (const History::Point& point : history.pointsOf(QStringLiteral("a:1")))
            read.append({point.stamp, point.server, point.ping, point.players});
        QCOMPARE(read, plain);
        QCOMPARE(history.rowCount(), qint64(2 * plain.size()));
    }

private slots:
    // The compact rows read back as the plain points they were written from.
    void historyRowsReadBackAsWritten_data()
    {
        // Each row: seconds after the row before, ping and players; a ping of -1 is no answer.
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("steady") << QByteArray("0 40 3, 30 41 3, 30 39 4, 30 40 3");
        QTest::newRow("real zero kept") << QByteArray("0 0 0, 30 0 0, 30 1 0");
        QTest::newRow("gaps of silence") << QByteArray("0 50 2, 30 -1 0, 30 -1 0, 30 52 5, 45 -1 0");
        QTest::newRow("silent first") << QByteArray("0 -1 0, 30 7 0");
        QTest::newRow("9999 pings and big jumps")
            << QByteArray("0 9999 0, 1 3 64, 20000 40000 1000, 2 9999 0, 0 0 70000, 30 32767 1");
        QTest::newRow("clock goes back") << QByteArray("0 10 1, 30 20 2, -20 30 3, 30 40 4");
        QTest::newRow("zero to most and back") << QByteArray("0 0 0, 30 9999 32767, 30 0 0, 30 1 1, 30 0 0");
        // Twelve hours of rows from a fixed seed, so the older half is trimmed bit by bit: pings
        // steady, then jumping, then wild (changes of every width up to 9999) and steady again,
        // players changing by one or by thousands, silences, and gaps that change.
        QByteArray mixed;
        quint32 seed = 7;
        const auto next = [&seed](int range) {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<int>((seed >> 8) % static_cast<quint32>(range));
        };
        int ping = 50, players = 3;
        for (int row = 0; row < 1500; ++row) {
            const int widths[] = {1, 7, 15, 2};
            const int change = next(1 << next(widths[row / 120 % 4] + 1));
            ping = std::clamp(ping + (next(2) ? change : -change), 0, 9999);
            if (next(8) == 0)
                players = std::clamp(players + (next(4) ? next(3) - 1 : next(40000) - 20000), 0, 32767);
            const int gap = next(30) == 0 ? next(200) - 10 : 30;
            mixed += QByteArray::number(gap) + ' ' + QByteArray::number(next(20) == 0 ? -1 : ping) + ' '
                     + QByteArray::number(players) + (row < 1499 ? "," : "");
        }
        QTest::newRow("twelve hours of every kind of change") << mixed;
    }

    void historyRowsReadBackAsWritten()
    {
        QFETCH(QByteArray, rows);
        readsBackAsWritten(rows);
    }

    // Rows go on across the ends of the fixed pieces the bits are kept in. Steady rows in the same
    // second (two bits each; one more row at one second's gap makes the sum odd) move the rows
    // after them along, so those cross a piece's end at each of their bits in turn; then a row six
    // hours on drops the steady ones, once just where a piece ends.
    void historyRowsAcrossPieces()
    {
        const QByteArray after = "21601 9999 0, 30 3 64, 7 40000 1000, 30 -1 0, 30 1 32767, 1 0 0, 1 5000 2, 30 -1 0";
        for (int gap = 0; gap < 2; ++gap) {
            for (int lead = 0; lead < 260; ++lead) {
                QByteArray rows = "0 40 3, ";
                for (int row = 0; row < lead; ++row)
                    rows += QByteArray::number(gap) + " 40 3, ";
                readsBackAsWritten(rows + after + ", " + after);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(QStringLiteral("gap %1, lead %2").arg(gap).arg(lead)));
            }
        }
    }

    // A server whose rows all aged out gives its room to another's rows, and both read right.
    void historyRoomOfAgedServerServesOthers()
    {
        History history;
        const QDateTime start(QDate(2026, 12, 6), QTime(6, 0));
        const auto ping = [](int row) { return row * 397 % 9999; };
        for (int row = 0; row < 300; ++row)
            history.append(start.addSecs(30 * row), QStringLiteral("a:1"), ping(row), row % 7);
        const QDateTime later = start.addSecs(9 * 60 * 60);
        history.append(later, QStringLiteral("b:2"), ping(0), 0);
        QVERIFY(history.pointsOf(QStringLiteral("a:1")).empty());
        const qint64 held = history.rowBytes();
        for (int row = 1; row < 200; ++row)
            history.append(later.addSecs(30 * row), QStringLiteral("b:2"), ping(row), row % 7);
        history.append(later.addSecs(30 * 200), QStringLiteral("a:1"), 12, 3);
        QCOMPARE(history.rowBytes(), held);
        const auto b = history.pointsOf(QStringLiteral("b:2"));
        QCOMPARE(b.size(), size_t(200));
        for (int row = 0; row < 200; ++row)
            QCOMPARE(
                std::tuple(b[row].stamp, b[row].ping, b[row].players),
                std::tuple(quint32(later.addSecs(30 * row).toSecsSinceEpoch()), qint16(ping(row)), qint16(row % 7)));
        const auto a = history.pointsOf(QStringLiteral("a:1"));
        QCOMPARE(a.size(), size_t(1));
        QCOMPARE(std::tuple(a[0].ping, a[0].players), std::tuple(qint16(12), qint16(3)));
    }

    // Six hours of rounds at the default refresh: a row takes about a byte, the oldest go,
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
            if (round < 20 || (round >= 40 && round < 45))
                history.append(at, QStringLiteral("stopped:1"), round * 37 % 101, round);
        }
        QVERIFY(history.pointsOf(QStringLiteral("gone:1")).empty());
        // A server that stopped getting rows loses only its old ones.
        const auto stopped = history.pointsOf(QStringLiteral("stopped:1"));
        QCOMPARE(stopped.size(), size_t(5));
        for (const History::Point& point : stopped)
            QCOMPARE(point.ping, qint16((point.stamp - start.toSecsSinceEpoch()) / 30 * 37 % 101));
        QCOMPARE(history.rowCount(), qint64(20 * 721 + stopped.size()));
        const auto kept = history.pointsOf(QStringLiteral("10.0.0.3:1"));
        QCOMPARE(kept.size(), size_t(721));
        QCOMPARE(kept.front().stamp, quint32(start.addSecs(30 * (Rounds - 721)).toSecsSinceEpoch()));
        QCOMPARE(kept.back().ping, qint16(20 + ((Rounds - 1) * 7 + 3) % 61));
        QCOMPARE(history.addressOf(kept.front().server), QStringLiteral("10.0.0.3:1"));
        QCOMPARE(history.idOf(QStringLiteral("10.0.0.1:1")), quint32(1));
        QCOMPARE(history.addressOf(history.idOf(QStringLiteral("zürich:1"))), QStringLiteral("zürich:1"));
        QVERIFY(!history.findId(QStringLiteral("zurich:1")));
        QVERIFY2(4 * history.rowBytes() <= 5 * history.rowCount(), qPrintable(QString::number(history.rowBytes())));
        history.clear();
        QVERIFY(history.rowCount() == 0 && history.points().empty());
        history.append(start.addSecs(30 * Rounds), QStringLiteral("10.0.0.3:1"), 0, 0);
        QCOMPARE(history.pointsOf(QStringLiteral("10.0.0.3:1")).size(), size_t(1));
    }

    // Only this server's answered points within the span, in time order, stamped in milliseconds;
    // a time without an answer breaks the line, never drawn as zero, and leaves no empty pieces.
    void seriesOfServerAndSpan()
    {
        ManualClock clock;
        History history;
        const QDateTime start = clock.now();
        for (const auto& [seconds, address, ping, players] : {std::tuple{0, Here, -1, -1},
                                                              {10, Here, 70, 1},
                                                              {300, Here, 60, 2}, // exactly 5 minutes before: in
                                                              {360, Other, 10, 9},
                                                              {420, Here, -1, -1},
                                                              {450, Here, -1, -1},
                                                              {480, Here, 50, 3},
                                                              {500, Here, 0, 0}, // a real zero
                                                              {540, Here, -1, -1}})
            history.append(start.addSecs(seconds),
                           address,
                           ping < 0 ? std::nullopt : std::optional(ping),
                           ping < 0 ? std::nullopt : std::optional(players));
        clock.advanceSecs(600);

        const HistorySeries players =
            historySeries(history, Here, QStringLiteral("Mine"), HistoryType::Players, 5, clock.now());
        QCOMPARE(values(players), (QList<QList<double>>{{2}, {3, 0}}));
        QCOMPARE(players.segments[0][0].x(), double(start.addSecs(300).toMSecsSinceEpoch()));
        QCOMPARE(std::tuple(players.since, players.until, players.maxValue, players.pointCount),
                 std::tuple(start.addSecs(300), clock.now(), 3, 3));

        const HistorySeries ping =
            historySeries(history, Here, QStringLiteral("Mine"), HistoryType::Ping, 30, clock.now());
        QCOMPARE(values(ping), (QList<QList<double>>{{70, 60}, {50, 0}}));
        QCOMPARE(ping.maxValue, 70);

        // Nothing in the span still gives the title and the span; a name cannot break the title's line.
        for (const QString& address : {Here, Other, QStringLiteral("127.0.0.9:1")}) {
            const HistorySeries none =
                historySeries(history, address, QStringLiteral("A\nB"), HistoryType::Ping, 1, clock.now());
            QVERIFY(none.segments.empty() && none.pointCount == 0);
            QCOMPARE(none.title, QStringLiteral("Ping graph for 'A\uFFFDB'"));
            QCOMPARE(none.since, clock.now().addSecs(-60));
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "TestHistory.moc"
