#include "sim/SimMasterServer.h"
#include "sim/SimServer.h"
#include "support/TreviskRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <list>

using namespace trevisk;

// The faults of each kind of list are read by the master protocol's own tests; here the command
// puts a list, its pages and a refusal through to the servers and the filters.
class TestFindCommand : public QObject
{
    Q_OBJECT
private slots:
    // The masters' lists, duplicates and faults included, come to the servers that answer; the
    // filters pass on only the matching ones.
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
            QStringList found;
            for (const QJsonValue& server : QJsonDocument::fromJson(run.out).array())
                found << server[QStringLiteral("address")].toString() + QLatin1Char(' ')
                             + server[QStringLiteral("status")].toString();
            QCOMPARE(found, expected);
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

QTEST_GUILESS_MAIN(TestFindCommand)
#include "TestFindCommand.moc"
