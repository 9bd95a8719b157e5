#include "tray/DetailsTableModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace trevisk;

class TestDetailsTableModel : public QObject
{
    Q_OBJECT
private slots:
    // The first click sorts descending, the next (on any column) ascending; updates keep the order.
    void detailsSortToggle()
    {
        DetailsTableModel model({{QStringLiteral("ID"), true}, {QStringLiteral("Name"), false}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto rows = [](std::initializer_list<const char*> names) {
            std::vector<DetailsTableModel::Row> result;
            int id = 0;
            for (const char* name : names)
                result.push_back({{QString::number(++id), QString::fromLatin1(name)}, false, {}});
            return result;
        };
        const auto names = [&] {
            QString text;
            for (const auto& row : model.rows())
                text += row.cells.at(1);
            return text;
        };
        model.setRows(rows({"b", "c", "a"}));
        QCOMPARE(names(), QStringLiteral("bca"));
        model.headerClicked(0);
        QCOMPARE(names(), QStringLiteral("acb"));
        model.headerClicked(1);
        QCOMPARE(names(), QStringLiteral("abc"));
        model.setRows(rows({"z", "y", "x", "w", "v", "u", "t", "s", "r", "q", "p"}));
        QCOMPARE(names(), QStringLiteral("pqrstuvwxyz"));
        model.headerClicked(0);
        QCOMPARE(model.rows().front().cells.at(0), QStringLiteral("11"));
        const auto players = DetailsTableModel::playerRows(
            {{QStringLiteral("bob"), QStringLiteral("N/A"), QStringLiteral("40"), true, {}, QStringLiteral("2:05")}});
        QCOMPARE(players.front().cells.join(QLatin1Char('|')), QStringLiteral("1|bob|40||2:05"));
        QVERIFY(players.front().highlighted);
    }
};

QTEST_GUILESS_MAIN(TestDetailsTableModel)
#include "TestDetailsTableModel.moc"
