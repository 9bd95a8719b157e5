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
            row.ar = QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3));
            row.friends = 1;
        });
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);
        // What the server sent shows on one line, its controls as stand-ins.
        QCOMPARE(model.data(model.index(1, StatusModel::NameColumn)).toString(), QStringLiteral("Lab\uFFFD]0;x\uFFFD"));
        // The general date-time form keeps the seconds, and names no time zone.
        QVERIFY(model.data(model.index(1, StatusModel::ArColumn)).toString().contains(QStringLiteral("02:03")));
        QCOMPARE(StatusModel::arText(QDateTime(QDate(2026, 12, 7), QTime(13, 2, 3)),
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
            row.timeOut = QStringLiteral("1");
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
        SimServer& kept = f.addServer(QStringLiteral("Quake 3"), 1, 1);
        SimServer& removed = f.addServer(QStringLiteral("Quake 3"));
        SimServer& regamed = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        ServerQuery* keptQuery = &f.query(kept);
        ServerQuery* regamedQuery = &f.query(regamed);
        QSignalSpy removedRequests(&removed, &SimServer::requestReceived);

        auto& rows = f.context.stores.servers.rows;
        rows[0].manualRefresh = 0;
        rows[2].game = QStringLiteral("Quake 2");
        rows.erase(rows.begin() + 1);
        f.monitor->updateList();
        QCOMPARE(f.monitor->status().rowCount(), 2);
        QVERIFY(!f.monitor->queryFor(removed.address()));
        QCOMPARE(f.monitor->queryFor(kept.address()), keptQuery);
        QCOMPARE(keptQuery->manRefresh(), 0);
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
            r.actPlayers = players;
            r.actMax = max;
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
        settings.logging = 1;
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
