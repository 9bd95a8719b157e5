#pragma once

#include "sim/SimMaster.h"
#include "sim/SimPlan.h"
#include "sim/SimResponder.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QStringList>

#include <chrono>
#include <optional>

namespace trevisk {

// The simulator's command line.
struct SimOptions
{
    QStringList games; // one game, or one per engine with --all
    int port = -1;
    int count = 1;
    int players = 4;
    int maxPlayers = 0; // 0: the engine's usual limit
    std::chrono::milliseconds delayMin{0};
    std::chrono::milliseconds delayMax{0};
    std::chrono::milliseconds churn{0};    // players come and go at this interval; 0: never
    std::chrono::milliseconds flapUp{0};   // answering for this long,
    std::chrono::milliseconds flapDown{0}; // then silent for this long, over and over
    double drop = 0.0;
    int linkRate = 0; // requests a second the link carries before it drops them; 0: no limit
    quint32 seed = 1;
    QList<int> unrealOrder;
    int unrealRepeat = 0;
    QHostAddress bind = QHostAddress(QHostAddress::LocalHost); // every server listens here
    std::optional<QHostAddress> replyHost;
    quint16 replyPort = 0;
    QByteArray rconPassword;
    SimResponder::A2sBehaviour a2s;
    // A master that lists the servers served: its kind, port (0: ephemeral) and behaviour.
    std::optional<SimMaster::Options> master;
    int masterPort = 0;
    bool help = false;

    // `arguments` without the program name. On failure returns nothing and sets `error`.
    static std::optional<SimOptions> parse(const QStringList& arguments, QString& error);
    static QString usage();

    // The server of `spec`, set up as these options say; `index` numbers the servers of the run.
    SimResponder makeResponder(const SimServerSpec& spec, int index) const;
};

} // namespace trevisk
