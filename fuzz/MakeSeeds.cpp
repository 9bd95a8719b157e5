// Writes the fuzzers' starting inputs: what the simulated servers answer, and the files this program writes.
#include "core/Catalogue.h"
#include "query/EngineProtocol.h"
#include "rcon/RconProtocol.h"
#include "sim/SimAnswers.h"
#include "sim/SimMaster.h"
#include "sim/SimResponder.h"
#include "store/RecordFile.h"
#include "store/RecordTable.h"
#include "store/Records.h"
#include "store/ServerListXml.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

using namespace trevisk;

namespace {

bool writeSeed(const QString& folder, const QString& name, const QByteArray& bytes)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile file(folder + QLatin1Char('/') + name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::vector<ServerRecord> sampleServers()
{
    ServerRecord quake;
    quake.address = QStringLiteral("127.0.0.1:27960");
    quake.game = QStringLiteral("Quake 3");
    quake.iconBack = 0xFFFFFF;
    quake.manualRefresh = true;
    quake.queryPort = 0;
    quake.memo = QStringLiteral("memo & <notes> \"quoted\"");
    quake.unused.edit().unusedDate = QDateTime(QDate(2024, 5, 1), QTime(12, 30), Qt::UTC);
    quake.unused.edit().unusedNumber = 2.5;
    quake.tray = 1;
    ServerRecord unreal;
    unreal.address = QStringLiteral("127.0.0.2:7777");
    unreal.game = QStringLiteral("Unreal Tournament 2003");
    return {quake, unreal};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: make-fuzz-seeds FOLDER\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    // Each engine's answers for a few games and player counts, as the parser receives them.
    for (const GameInfo& game : games()) {
        const EngineProtocol* protocol = protocolForGame(game.game);
        if (!protocol)
            continue;
        const QString folder = root + QStringLiteral("/answer-") + game.engine.toLower();
        for (int players : {0, 3, 16}) {
            SimResponder responder(SimServerState::forGame(game.game, 1, players));
            responder.setTimestamp("20240501T123000");
            int n = 0;
            for (const QByteArray& request : protocol->requests()) {
                const QList<QByteArray> answer = responder.respond(request, 0x7F000001);
                const QByteArray joined = answer.join();
                if (joined.isEmpty())
                    continue;
                const QString name = QStringLiteral("sim-%1-%2-%3")
                                         .arg(game.shortName.isEmpty() ? game.game : game.shortName)
                                         .arg(players)
                                         .arg(n++);
                ok = writeSeed(folder,
                               QString(name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")),
                                                     QStringLiteral("_")),
                               joined)
                     && ok;
            }
        }
    }

    // Today's Half-Life replies, whole and split in both forms, each datagram after its length byte.
    const auto framed = [](const QList<QByteArray>& datagrams) {
        QByteArray run;
        for (const QByteArray& datagram : datagrams) {
            const QByteArray kept = datagram.left(255); // a length byte says no more
            run += char(kept.size()) + kept;
        }
        return run;
    };
    for (int players : {0, 3, 16}) {
        const SimServerState state = SimServerState::forGame(QStringLiteral("Half Life"), 1, players);
        int part = 0;
        for (const QByteArray& reply :
             {simanswers::a2sInfo(state), simanswers::a2sPlayers(state), simanswers::a2sRules(state)}) {
            const QString name = QStringLiteral("sim-%1-%2").arg(players).arg(part++);
            ok = writeSeed(root + QStringLiteral("/a2s"), name + QStringLiteral("-whole"), framed({reply})) && ok;
            for (const auto form : {simanswers::SplitForm::GoldSrc, simanswers::SplitForm::Source}) {
                QList<QByteArray> parts = simanswers::a2sSplit(reply, 7, 100, form);
                std::reverse(parts.begin(), parts.end());
                ok = writeSeed(root + QStringLiteral("/a2s"),
                               name
                                   + (form == simanswers::SplitForm::Source ? QStringLiteral("-source")
                                                                            : QStringLiteral("-goldsrc")),
                               framed(parts))
                     && ok;
            }
        }
    }

    // Rcon replies of each dialect: console text, a refusal, nothing at all and a challenge.
    const SimServerState state = SimServerState::forGame(QStringLiteral("Quake 3"));
    int n = 0;
    for (const char* engine : {"Q2", "Q3", "QW", "HL"}) {
        for (const QByteArray& text :
             {simanswers::rconStatusText(state), QByteArray("Bad rconpassword.\n"), QByteArray()}) {
            for (const QByteArray& datagram : simanswers::rconReply(QString::fromLatin1(engine), text))
                ok = writeSeed(root + QStringLiteral("/rcon"), QStringLiteral("sim-%1").arg(n++), datagram) && ok;
        }
    }
    SimServerState halfLife = SimServerState::forGame(QStringLiteral("Half Life"));
    halfLife.rconPassword = "secret";
    SimResponder halfLifeServer(halfLife);
    for (const QByteArray& datagram : halfLifeServer.respond(rconChallengeRequest(), 0x7F000001))
        ok = writeSeed(root + QStringLiteral("/rcon"), QStringLiteral("sim-%1").arg(n++), datagram) && ok;

    // Master lists of each kind, a few servers a datagram: the kind's byte, then the datagrams.
    std::vector<ListedAddress> listed;
    for (quint16 port = 27960; port < 27970; ++port)
        listed.push_back({QHostAddress(QHostAddress::LocalHost), port});
    int kindByte = 0;
    for (const auto& [kind, request] :
         {std::pair{MasterKind::Quake3, masterRequest({MasterKind::Quake3, 68, QStringLiteral("Quake3Arena")})},
          std::pair{MasterKind::QuakeWorld, masterRequest({MasterKind::QuakeWorld})},
          std::pair{MasterKind::Quake2, masterRequest({MasterKind::Quake2})},
          std::pair{MasterKind::Source, masterRequest({MasterKind::Source})}}) {
        SimMaster::Options options;
        options.kind = kind;
        options.perDatagram = 4;
        options.ipv6 = 2;
        options.endEach = true;
        const QByteArray seed = char(kindByte) + framed(SimMaster(options, listed).respond(request));
        ok = writeSeed(root + QStringLiteral("/master-reply"), QStringLiteral("sim-%1").arg(kindByte++), seed) && ok;
    }

    QBuffer xml;
    xml.open(QIODevice::WriteOnly);
    ok = writeServerListXml(xml, sampleServers()).isEmpty() && ok;
    ok = writeSeed(root + QStringLiteral("/serverlist-xml"), QStringLiteral("export.xml"), xml.data()) && ok;
    RecordTable<ServerRecord> servers;
    servers.rows = sampleServers();
    QDir().mkpath(root + QStringLiteral("/record-file"));
    ok = writeRecordFile(root + QStringLiteral("/record-file/servers.dat"), servers.toRaw()).isEmpty() && ok;

    if (!ok)
        std::fputs("Could not write every seed\n", stderr);
    return ok ? 0 : 1;
}
