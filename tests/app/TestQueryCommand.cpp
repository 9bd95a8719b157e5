#include "core/Routines.h"
#include "sim/SimMasterServer.h"
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

namespace {

// "address status" of each server of a JSON answer, in its order.
QStringList statesOf(const QByteArray& json)
{
    QStringList states;
    for (const QJsonValue& server : QJsonDocument::fromJson(json).array())
        states << server[QStringLiteral("address")].toString() + QLatin1Char(' ')
                      + server[QStringLiteral("status")].toString();
    return states;
}

} // namespace

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
        QCOMPARE(run.out, QJsonDocument(QJsonDocument::fromJson(run.out).array()).toJson(QJsonDocument::Indented));
        QCOMPARE(statesOf(run.out), expected);

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

    // The masters' lists, duplicates and faults included, come to the servers that answer; the
    // filters pass on only the matching ones. The faults of each kind of list are read by the master
    // protocol's own tests; here the command puts a list, its pages and a refusal through.
    void findThroughMasters()
    {
        const struct
        {
            const char *game, *kind, *fault;
            int split, code;
            int shown;        // servers that pass no filter: all found
            const char* note; // on standard error
        } cases[] = {
            {"Quake 3", "Q3", "none", 1, 0, 3, "3 listed, 3 of 3 answered"}, // older end marks
            {"Half Life", "HL", "none", 4, 0, 3, "3 servers listed"},        // paged
            {"Quake 3", "Q3", "truncated", 0, 1, 0, "(no list: "},
        };
        for (const auto& [gameName, kind, fault, split, code, shown, note] : cases) {
            const QString game = QString::fromLatin1(gameName);
            std::list<SimServer> servers;
            std::vector<ListedAddress> listed;
            QStringList expected;
            for (int i = 0; i < 3; ++i) {
                QVERIFY(servers.emplace_back(SimServerState::forGame(game, i + 1, i)).start());
                listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back().gamePort()});
                if (i < shown)
                    expected << servers.back().address() + QStringLiteral(" up");
            }
            servers.back().state().hostname = "The Castle Keep";
            servers.back().state().map = "castle_2";
            SimMaster::Options options;
            options.kind = *SimMaster::kindNamed(QString::fromLatin1(kind));
            options.fault = *SimMaster::faultNamed(QString::fromLatin1(fault));
            options.perDatagram = split;
            options.duplicates = options.endEach = true;
            SimMasterServer master(SimMaster(options, listed));
            QVERIFY(master.start());

            const QStringList ask =
                QStringList{QStringLiteral("find"), game, QStringLiteral("--master"), master.address()}
                + args("--timeout|500");
            const TreviskRun run = runTrevisk(ask + args("--json"));
            QVERIFY2(run.code == code && run.err.contains(note), run.err.constData());
            QCOMPARE(statesOf(run.out), expected);
            // Half-Life's pages come a second apart: its filters are those of the other kinds.
            if (shown < 3 || game == QLatin1String("Half Life"))
                continue;
            const TreviskRun filtered = runTrevisk(ask + args("--name|castle|--map|CASTLE|--not-empty|--not-full"));
            QVERIFY2(filtered.code == 0 && filtered.out.count('\n') == 1
                         && filtered.out.startsWith(servers.back().address().toUtf8())
                         && filtered.out.contains("Castle Keep"),
                     filtered.out.constData());
            QVERIFY(runTrevisk(ask + args("--not-empty")).out.count('\n') == 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestQueryCommand)
#include "TestQueryCommand.moc"
