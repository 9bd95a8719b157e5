#include "dialogs/DialogTesting.h"
#include "history/MessageHistoryWindow.h"
#include "support/MonitorFixture.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QLocale>
#include <QTableView>

using namespace trevisk;

class TestMessageHistoryWindow : public QObject
{
    Q_OBJECT
private slots:
    // Newest first, and a line logged while the window is open goes to the top.
    void messagesNewestFirst()
    {
        MonitorFixture f;
        f.log->logMessage(QStringLiteral("Alpha has gone offline!"));
        MessageHistoryWindow window(*f.log);
        const QAbstractItemModel* model = window.grid()->model();
        QCOMPARE(model->rowCount(), 1);
        f.clock.advanceSecs(5);
        f.log->logMessage(QStringLiteral("Alpha is back online!"));
        f.clock.advanceSecs(5);
        f.log->logMessage(QStringLiteral("Bob has logged on to Alpha"));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Bob has logged on to Alpha"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("Alpha is back online!"));
        QCOMPARE(model->index(2, 1).data().toString(), QStringLiteral("Alpha has gone offline!"));
        QVERIFY(model->index(0, 0).data().toString().contains(
            QLocale::system().toString(f.clock.now().time(), QLocale::LongFormat)));
    }

    // The main window opens one modeless message history, the open one brought back.
    void mainWindowOpensOne()
    {
        MonitorFixture f;
        f.start();
        MainWindow main{{*f.monitor, f.context, f.prompter, f.reporter, f.popups.get(), nullptr, f.log.get()}};
        entry(&main, QStringLiteral("&Message History..."))->trigger();
        entry(&main, QStringLiteral("&Message History..."))->trigger();
        const auto messages = main.findChildren<MessageHistoryWindow*>();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0]->isVisible() && !messages[0]->isModal());
        QVERIFY(f.prompter.asked.isEmpty());
    }
};

QTEST_MAIN(TestMessageHistoryWindow)
#include "TestMessageHistoryWindow.moc"
