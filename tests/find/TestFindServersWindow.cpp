#include "find/FindServersWindow.h"
#include "find/MasterSettings.h"
#include "session/Startup.h"
#include "sim/SimMasterServer.h"
#include "sim/SimServer.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trevisk;

class TestFindServersWindow : public QObject
{
    Q_OBJECT
private slots:
    // The table fills as the servers answer, sorts, colours the silent one as the grid does, and
    // "Add to List" stores the selected servers as the add-server checks pass them.
    void searchFillsTheTableAndAddsToTheList()
    {
        QTemporaryDir dir;
        AppContext context;
        context.dataDir = dir.path();
        context.settings = AppSettings::defaults(dir.path());
        context.stores = Stores(dir.path());
        context.settingsStore =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        ScriptedPrompter prompter;

        std::vector<std::unique_ptr<SimServer>> servers;
        std::vector<ListedAddress> listed;
        for (int players : {1, 3, 0, 2}) {
            servers.push_back(std::make_unique<SimServer>(
                SimServerState::forGame(QStringLiteral("Quake 3"), static_cast<int>(servers.size()) + 1, players)));
            QVERIFY(servers.back()->start());
            listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back()->gamePort()});
        }
        servers[3]->responder().setAnswering(false);
        // A friend plays on the server with three players (the third, "^3G^7rism").
        context.stores.friends.rows.push_back({QStringLiteral("rism"), {}});
        ServerRecord already;
        already.address = servers[0]->address();
        already.game = QStringLiteral("Quake 3");
        context.stores.servers.rows.push_back(already);
        SimMaster::Options options;
        options.duplicates = true;
        options.perDatagram = 3;
        SimMasterServer master(SimMaster(options, listed));
        QVERIFY(master.start());

        int changes = 0;
        FindServersWindow window(context, prompter, [&changes] { ++changes; });
        window.setQueryTimeOut(std::chrono::milliseconds(100));
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("masters"))->setText(master.address());
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("find")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.finder().isFinished(), 10000);
        QCOMPARE(mastersFor(*context.settingsStore, QStringLiteral("Quake 3")), QStringList{master.address()});

        auto* table = window.findChild<QTableView*>(QStringLiteral("found"));
        QAbstractItemModel* model = table->model();
        QCOMPARE(model->rowCount(), 4);
        auto* progress = window.findChild<QProgressBar*>(QStringLiteral("progress"));
        QCOMPARE(progress->value(), progress->maximum());
        table->sortByColumn(FoundServersModel::PlayersColumn, Qt::DescendingOrder);
        QStringList players;
        for (int row = 0; row < 4; ++row)
            players += model->index(row, FoundServersModel::PlayersColumn).data().toString();
        QCOMPARE(players,
                 (QStringList{QStringLiteral("3/12"), QStringLiteral("1/12"), QStringLiteral("0/12"), QString()}));
        QCOMPARE(model->index(3, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 128, 128));
        QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(128, 255, 128));
        QVERIFY(!model->index(1, 0).data(Qt::BackgroundRole).isValid());

        // The three that answered; the first of them is listed already.
        table->selectRow(0);
        table->selectionModel()->select(model->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("add")), Qt::LeftButton);
        QCOMPARE(changes, 1);
        const auto& rows = context.stores.servers.rows;
        QCOMPARE(rows.size(), size_t(3));
        for (size_t i = 1; i < 3; ++i) {
            QCOMPARE(rows[i].gameText(), QStringLiteral("Quake 3"));
            QVERIFY(rows[i].memo.value_or(QString()).isEmpty());
            QCOMPARE(rows[i].tray.value_or(-1), 0);
        }
        QCOMPARE(QSet<QString>({rows[1].addressText(), rows[2].addressText()}),
                 QSet<QString>({servers[1]->address(), servers[2]->address()}));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("servers.dat"))));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("status"))->text(),
                 QStringLiteral("2 added, 1 already listed"));
        QVERIFY(prompter.asked.isEmpty());
    }
};

QTEST_MAIN(TestFindServersWindow)
#include "TestFindServersWindow.moc"
