#include "support/MonitorFixture.h"

#include <QAbstractItemModelTester>

using namespace trevisk;

class TestStatusModel : public QObject
{
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestStatusModel)
#include "TestStatusModel.moc"
