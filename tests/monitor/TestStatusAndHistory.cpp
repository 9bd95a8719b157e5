#include "MonitorFixture.h"
#include "monitor/AnswerErrorLog.h"

#include <QAbstractItemModelTester>

using namespace trevisk;

class TestStatusAndHistory : public QObject
{
    Q_OBJECT
private slots:
    void historyKeepsSixHoursInSmallRows()
    {
        static_assert(sizeof(History::Point) <= 16);
        History history;
        const QDateTime start(QDate(2026, 12, 6), QTime(6, 0));
        history.append(start, QStringLiteral("a:1"), 40, 3);
        history.append(start.addSecs(60), QStringLiteral("b:2"), std::nullopt, std::nullopt);
        history.append(start.addSecs(6 * 3600), QStringLiteral("a:1"), 12000, 2);
        QCOMPARE(history.points().size(), size_t(3));
        // A point more than six hours old goes when a newer one comes.
        history.append(start.addSecs(6 * 3600 + 61), QStringLiteral("a:1"), 50, 1);
        QCOMPARE(history.points().size(), size_t(2));
        QCOMPARE(history.points().front().stamp, quint32(start.addSecs(6 * 3600).toSecsSinceEpoch()));
        QCOMPARE(history.points().front().ping, qint16(12000));
        const auto points = history.pointsOf(QStringLiteral("a:1"));
        QCOMPARE(points.size(), size_t(2));
        QCOMPARE(history.addressOf(points[0].server), QStringLiteral("a:1"));
        QCOMPARE(history.idOf(QStringLiteral("b:2")), quint32(1));
        QVERIFY(history.pointsOf(QStringLiteral("b:2")).empty());
    }

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
        QVERIFY2(history.rowBytes() <= 3 * history.rowCount(), qPrintable(QString::number(history.rowBytes())));
        history.clear();
        QCOMPARE(history.rowCount(), qint64(0));
        QVERIFY(history.points().empty());
        history.append(start.addSecs(30 * Rounds), QStringLiteral("10.0.0.3:1"), 0, 0);
        QCOMPARE(history.pointsOf(QStringLiteral("10.0.0.3:1")).size(), size_t(1));
    }

    void modelAnnouncesExactlyTheChangedRow()
    {
        StatusModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<StatusRow> rows;
        for (int i = 0; i < 3; ++i)
            rows.push_back(statusRow(QStringLiteral("127.0.10.%1:1").arg(i)));
        model.reset(rows);
        QSignalSpy changed(&model, &StatusModel::dataChanged);
        model.update(QStringLiteral("127.0.10.1:1"), [](StatusRow& row) {
            row.name = QStringLiteral("Lab\x1b]0;x\x07");
            row.answeredAt = QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3));
            row.friends = 1;
        });
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);
        // What the server sent shows on one line, its controls as stand-ins.
        QCOMPARE(model.data(model.index(1, StatusModel::NameColumn)).toString(), QStringLiteral("Lab\uFFFD]0;x\uFFFD"));
        // The general date-time form keeps the seconds, and names no time zone.
        QVERIFY(model.data(model.index(1, StatusModel::AnsweredAtColumn)).toString().contains(QStringLiteral("02:03")));
        QCOMPARE(StatusModel::answeredAtText(QDateTime(QDate(2026, 12, 7), QTime(13, 2, 3)),
                                             QLocale(QLocale::English, QLocale::UnitedStates)),
                 QStringLiteral("12/7/26 1:02:03 PM"));
        model.update(QStringLiteral("127.0.10.2:1"), [](StatusRow& row) {
            row.state = ServerState::BadAnswer;
            row.stateReason = QStringLiteral("2 players on a server of 1");
        });
        QCOMPARE(model.data(model.index(2, StatusModel::StateColumn)).toString(),
                 QStringLiteral("bad answer: 2 players on a server of 1"));
        model.update(QStringLiteral("127.0.10.2:1"), [](StatusRow& row) {
            row.state = ServerState::Refused;
            row.offline = true;
        });
        QCOMPARE(model.data(model.index(2, StatusModel::StateColumn)).toString(), QStringLiteral("offline (refused)"));

        // An edit that moves the address keeps the lookups right.
        model.update(QStringLiteral("127.0.10.1:1"), [](StatusRow& row) { row.address = QStringLiteral("moved:2"); });
        QCOMPARE(model.indexOf(QStringLiteral("moved:2")), 1);
        QCOMPARE(model.indexOf(QStringLiteral("127.0.10.1:1")), -1);
        model.remove(QStringLiteral("127.0.10.0:1"));
        QCOMPARE(model.indexOf(QStringLiteral("moved:2")), 0);
        QCOMPARE(model.indexOf(QStringLiteral("127.0.10.2:1")), 1);
    }

    // A new list (an import) stops what is gone, restarts what changed game, and switches schedules in place.
    void updateListFollowsTheList()
    {
        MonitorFixture f;
        SimServer& kept = f.addServer(QStringLiteral("Quake 3"), 1, true);
        SimServer& removed = f.addServer(QStringLiteral("Quake 3"));
        SimServer& regamed = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        ServerQuery* keptQuery = &f.query(kept);
        ServerQuery* regamedQuery = &f.query(regamed);
        QSignalSpy removedRequests(&removed, &SimServer::requestReceived);

        auto& rows = f.context.stores.servers.rows;
        rows[0].manualRefresh = false;
        rows[2].game = QStringLiteral("Quake 2");
        rows.erase(rows.begin() + 1);
        f.monitor->updateList();
        QCOMPARE(f.monitor->status().rowCount(), 2);
        QVERIFY(!f.monitor->queryFor(removed.address()));
        QCOMPARE(f.monitor->queryFor(kept.address()), keptQuery);
        QCOMPARE(keptQuery->manualRefresh(), false);
        QCOMPARE(f.monitor->queryFor(regamed.address()), regamedQuery);
        QCOMPARE(regamedQuery->game(), QStringLiteral("Quake 2"));
        QCOMPARE(f.windows.closed, QStringList{removed.address()});
        f.monitor->refreshAll();
        QVERIFY(f.refresh(kept));
        QCOMPARE(removedRequests.size(), 0);
    }

    // The header click: one direction flag for every column, players by count then maximum,
    // unset values first ascending and last descending, ties in their previous order.
    void headerClickSorts()
    {
        StatusModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto row = [](const char* address, const char* name, std::optional<qint32> players, qint32 max) {
            StatusRow r = statusRow(QString::fromLatin1(address));
            if (name)
                r.name = QString::fromLatin1(name);
            r.playerCount = players;
            r.maxPlayers = max;
            return r;
        };
        model.reset({row("a", "delta", 4, 16),
                     row("b", nullptr, std::nullopt, 8),
                     row("c", "Alpha", 4, 8),
                     row("d", "charlie", 0, 16),
                     row("e", "bravo", 4, 8)});
        const auto order = [&] {
            QString text;
            for (const StatusRow& r : model.rows())
                text += r.address;
            return text;
        };
        model.headerClicked(StatusModel::PlayersColumn);
        QCOMPARE(order(), QStringLiteral("bdcea"));
        model.headerClicked(StatusModel::PlayersColumn);
        QCOMPARE(order(), QStringLiteral("acedb"));
        model.headerClicked(StatusModel::NameColumn);
        QCOMPARE(order(), QStringLiteral("bceda"));
        QCOMPARE(model.indexOf(QStringLiteral("d")), 3);
    }

    void answerErrorsGoToTheLogFile()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logging = true;
        settings.logFile = dir.filePath(QStringLiteral("events.log"));
        ManualClock clock;
        AnswerErrorLog log(settings, clock);
        log.answerError(QStringLiteral("127.0.10.1:7777"),
                        QStringLiteral("An error has occured in function: GetUnrealPlayers()\r\n\r\nx"));
        QFile file(settings.logFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray line = file.readAll();
        QVERIFY(line.endsWith("127.0.10.1:7777: An error has occured in function: GetUnrealPlayers()  x\r\n"));
        QCOMPARE(line.count('\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestStatusAndHistory)
#include "TestStatusAndHistory.moc"
