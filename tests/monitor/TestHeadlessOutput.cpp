#include "core/Routines.h"
#include "monitor/AnswerErrorLog.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/StatusTable.h"
#include "status/StatusRules.h"
#include "support/MonitorFixture.h"

using namespace trevisk;

class TestHeadlessOutput : public QObject
{
    Q_OBJECT
private slots:
    // What a terminal shows for a server that goes down and comes back. Its name carries a C1
    // control (CSI, "clear screen" on 8-bit terminals): printed as a stand-in, never obeyed.
    void headlessOutputOfAnOutage()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        server.state().hostname = "Lab \x9b"
                                  "2J Arena";
        f.context.settings.popupStatusChange = false;
        QStringList out, err;
        f.start();
        HeadlessOutput output(
            *f.log, *f.monitor, [&](const QString& line) { out << line; }, [&](const QString& line) { err << line; });
        QVERIFY(f.settle() && f.row(server).name->contains(QChar(0x9b)));
        const QString name = visibleText(*f.row(server).name);
        QVERIFY(f.refreshAnswering(server, false) && f.refresh(server) && f.refreshAnswering(server, true));
        // Activity only pops up; without a desktop it is printed all the same.
        server.state().players.clear();
        QVERIFY(f.refresh(server));
        server.state().players.push_back(SimPlayer{"late", 1, 2, 3});
        QVERIFY(f.refresh(server));
        const QString stamp = EventLog::fileLine(f.clock.now(), QString());
        QCOMPARE(out,
                 (QStringList{stamp + name + QStringLiteral(" has gone offline!"),
                              stamp + name + QStringLiteral(" is back online!"),
                              stamp + name + QStringLiteral(" has become active with players...")}));
        QVERIFY(err.isEmpty());

        output.printStatus();
        QVERIFY(out.last().section(QLatin1Char('\n'), 1, 1).contains(QStringLiteral("Lab %1").arg(QChar(StandIn))));
    }

    void statusTableStates()
    {
        StatusModel model;
        std::vector<StatusRow> rows;
        for (const char* address : {"a:1", "b:2", "c:3", "d:4", "e:5", "f:6"})
            rows.push_back(statusRow(QString::fromLatin1(address), QStringLiteral("Halo")));
        rows[0].answeredAt = QDateTime::currentDateTime();
        rows[1].offline = true;
        rows[2].timeOutCount = 2;
        // A NUL in a memo once ended the printed table there; a line feed in a map would break a row.
        rows[3].memo = QStringLiteral("memo%1cut").arg(QChar(0));
        rows[3].map = QStringLiteral("q3dm17\nFORGED");
        rows[4].timeOutCount = 1;
        rows[4].state = ServerState::Refused;
        // A bad answer is neither answered nor offline; its reason follows on a line of its own.
        applyBadAnswer(rows[5], QStringLiteral("not a Halo server's answer (1 bytes)\nFORGED"));
        model.reset(rows);
        const QStringList lines = formatStatusTable(model).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines[2].contains(QStringLiteral("OFFLINE")) && lines[3].contains(QStringLiteral("no answer")));
        QVERIFY(lines[4].endsWith(QStringLiteral("memo%1cut").arg(QChar(StandIn)))
                && lines[4].contains(QStringLiteral("q3dm17%1FORGED").arg(QChar(StandIn))));
        QVERIFY(lines[5].contains(QStringLiteral("refused")) && lines[6].contains(QStringLiteral("bad answer")));
        QCOMPARE(lines[7], QStringLiteral("    not a Halo server's answer (1 bytes)%1FORGED").arg(QChar(StandIn)));
        QCOMPARE(lines.last(),
                 QStringLiteral("Servers: 6, answered: 1, offline: 1, not answered yet: 1, bad answers: 1"));

        // A long list goes out in pieces of whole lines, each row once and in order.
        rows.clear();
        for (int i = 0; i < 500; ++i)
            rows.push_back(statusRow(QStringLiteral("127.0.0.1:%1").arg(1000 + i)));
        model.reset(rows);
        QStringList pieces;
        writeStatusTable(model, nullptr, {}, [&pieces](const QString& piece) { pieces << piece; });
        QVERIFY(pieces.size() > 1);
        for (const QString& piece : pieces)
            QVERIFY(piece.endsWith(QLatin1Char('\n')));
        const QStringList printed = pieces.join(QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), 502);
        for (int i = 0; i < 500; ++i)
            QVERIFY(printed[i + 1].contains(QStringLiteral("127.0.0.1:%1 ").arg(1000 + i)));
    }

    // A query's error goes to the log file as one line.
    void answerErrorsGoToTheLogFile()
    {
        MonitorFixture f;
        f.context.settings.logging = true;
        f.context.settings.logFile = f.dir.filePath(QStringLiteral("events.log"));
        AnswerErrorLog(f.context.settings, f.clock)
            .answerError(QStringLiteral("127.0.10.1:7777"),
                         {QStringLiteral("GetUnrealPlayers()"), QStringLiteral("x"), 9});
        const QByteArray line = readFile(f.context.settings.logFile);
        QVERIFY(line.contains("127.0.10.1:7777: An error has occured in function: GetUnrealPlayers() "));
        QCOMPARE(line.count('\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestHeadlessOutput)
#include "TestHeadlessOutput.moc"
