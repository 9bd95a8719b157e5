#include "core/Routines.h"
#include "sim/SimPlan.h"
#include "sim/SimServer.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <list>

using namespace trevisk;

class TestQueryCommand : public QObject
{
    Q_OBJECT
private slots:
    // A list that is no text file of servers is refused, never taken as an empty round that went well.
    void queryFileThatIsNoList()
    {
        QTemporaryDir dir;
        const QString binary = dir.filePath(QStringLiteral("binary"));
        const QString empty = dir.filePath(QStringLiteral("empty"));
        QVERIFY(writeFile(binary, QByteArray("Halo\t1.2.3.4:1\0\xff\xfe", 18)) && writeFile(empty));
        for (const QString& path : {dir.path(), QStringLiteral("/dev/zero"), binary, empty}) {
            const TreviskRun run = runTrevisk(args("query|--file") << path);
            QCOMPARE(run.code, 2);
            QVERIFY2(!run.err.isEmpty() && run.out.isEmpty(), qPrintable(path));
        }
    }

    // Results are written as they are done, in list order whatever order they came in, and the
    // document is the one a single indented write of the whole array gives. Comments and blank
    // lines of the list are passed over; one server silent makes the run fail. Every engine answers
    // over IPv6 as over IPv4, and its address is printed as it was given. Colour codes are gone from
    // a name, in JSON as in text; what a server sends is printed, never obeyed: its controls are
    // stand-ins on their line.
    void queryFileWritesInListOrder()
    {
        SimServer silent(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0));
        QVERIFY(silent.start());
        silent.responder().setAnswering(false);
        QByteArray list = "# every engine\nQuake 3\t" + silent.address().toUtf8() + "\n\n";
        QStringList expected{silent.address() + QStringLiteral(" timeout")};
        std::list<SimServer> engines;
        for (const QString& engine : SimPlan::engines()) {
            const QString game = SimPlan::representativeGame(engine);
            QVERIFY(engines.emplace_back(SimServerState::forGame(game, 1, 1))
                        .start(QHostAddress(QHostAddress::LocalHostIPv6)));
            list += game.toUtf8() + '\t' + engines.back().address().toUtf8() + '\n';
            expected << engines.back().address() + QStringLiteral(" up");
            if (engine == QLatin1String("Q3"))
                engines.back().state().hostname = "^1Lab ^7Arena";
            if (engine == QLatin1String("HL"))
                engines.back().state().hostname = "Lab\x1b]0;owned\x07\x1b[2J\r\nFORGED\x9b"
                                                  "1m";
        }
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("list.txt"));
        QVERIFY(writeFile(listFile, list));
        const TreviskRun run = runTrevisk((args("query|--file") << listFile) + args("--json|--timeout|1000"));
        QCOMPARE(run.code, 1);
        const QJsonArray answers = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(run.out, QJsonDocument(answers).toJson(QJsonDocument::Indented));
        QStringList states;
        for (const QJsonValue& answer : answers)
            states << answer[QStringLiteral("address")].toString() + QLatin1Char(' ')
                          + answer[QStringLiteral("status")].toString();
        QCOMPARE(states, expected);

        QVERIFY(run.out.contains("\"hostname\": \"Lab Arena\""));

        // Text comes out of the same loop.
        const QByteArray text = runTrevisk((args("query|--file") << listFile) + args("--timeout|1000")).out;
        const QByteArray standIn = QString(QChar(StandIn)).toUtf8();
        QVERIFY2(text.contains("  no answer (timed out)\n") && text.contains("  Name:     Lab Arena\n")
                     && text.contains("  Name:     Lab" + standIn + "]0;owned" + standIn + standIn + "[2J" + standIn
                                      + standIn + "FORGED"),
                 text.constData());
        for (char c : text)
            QVERIFY(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20);
    }
};

QTEST_GUILESS_MAIN(TestQueryCommand)
#include "TestQueryCommand.moc"
