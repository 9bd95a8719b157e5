#include "core/Routines.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/StatusTable.h"
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
        QStringList out;
        QStringList err;
        f.start();
        HeadlessOutput output(
            *f.log, *f.monitor, [&](const QString& line) { out << line; }, [&](const QString& line) { err << line; });
        QVERIFY(f.settle());
        QVERIFY(f.row(server).name->contains(QChar(0x9b)));
        const QString name = visibleText(*f.row(server).name);
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        f.setAnswering(server, true);
        QVERIFY(f.refresh(server));
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
        StatusRow up = statusRow(QStringLiteral("a:1"));
        up.answeredAt = QDateTime::currentDateTime();
        StatusRow offline = statusRow(QStringLiteral("b:2"), QStringLiteral("Halo"));
        offline.offline = true;
        StatusRow silent = statusRow(QStringLiteral("c:3"), QStringLiteral("Halo"));
        silent.timeOutCount = 2;
        StatusRow fresh = statusRow(QStringLiteral("d:4"), QStringLiteral("Halo"));
        // A NUL in a memo once ended the printed table there; a line feed in a map would break a row.
        fresh.memo = QStringLiteral("memo%1cut").arg(QChar(0));
        fresh.map = QStringLiteral("q3dm17\nFORGED");
        StatusRow refused = statusRow(QStringLiteral("e:5"), QStringLiteral("Halo"));
        refused.timeOutCount = 1;
        refused.state = ServerState::Refused;
        // A bad answer is neither answered nor offline; its reason follows on a line of its own.
        StatusRow bad = statusRow(QStringLiteral("f:6"), QStringLiteral("Halo"));
        bad.state = ServerState::BadAnswer;
        bad.stateReason = QStringLiteral("not a Halo server's answer (1 bytes)\nFORGED");
        model.reset({up, offline, silent, fresh, refused, bad});
        const QStringList lines = formatStatusTable(model).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines[5].contains(QStringLiteral("refused")));
        QVERIFY(lines[6].contains(QStringLiteral("bad answer")));
        QCOMPARE(lines[7], QStringLiteral("    not a Halo server's answer (1 bytes)%1FORGED").arg(QChar(StandIn)));
        QVERIFY(lines[4].endsWith(QStringLiteral("memo%1cut").arg(QChar(StandIn))));
        QVERIFY(lines[4].contains(QStringLiteral("q3dm17%1FORGED").arg(QChar(StandIn))));
        QVERIFY(lines[2].contains(QStringLiteral("OFFLINE")));
        QVERIFY(lines[3].contains(QStringLiteral("no answer")));
        QCOMPARE(lines.last(),
                 QStringLiteral("Servers: 6, answered: 1, offline: 1, not answered yet: 1, bad answers: 1"));

        // A long list goes out in pieces of whole lines, each row once and in order.
        std::vector<StatusRow> many;
        for (int i = 0; i < 500; ++i)
            many.push_back(statusRow(QStringLiteral("127.0.0.1:%1").arg(1000 + i)));
        model.reset(many);
        QStringList pieces;
        writeStatusTable(model, nullptr, {}, [&pieces](const QString& piece) { pieces << piece; });
        QVERIFY(pieces.size() > 1);
        for (const QString& piece : pieces)
            QVERIFY(piece.endsWith(QLatin1Char('\n')));
        const QStringList rows = pieces.join(QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 502);
        for (int i = 0; i < 500; ++i)
            QVERIFY(rows[i + 1].contains(QStringLiteral("127.0.0.1:%1 ").arg(1000 + i)));
    }
};

QTEST_GUILESS_MAIN(TestHeadlessOutput)
#include "TestHeadlessOutput.moc"
