#pragma once

#include "sim/SimPlayer.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace trevisk {

// What a simulated server reports about itself. Byte texts are sent as they stand.
struct SimServerState
{
    QString game;   // catalogue name
    QString engine; // catalogue engine code
    QByteArray hostname;
    QByteArray map;
    int maxPlayers = 16;
    std::vector<SimPlayer> players;
    QByteArray rconPassword;            // empty: the server has none, so every rcon command is refused
    QByteArray address = "127.0.0.1:0"; // host and game port, for the answers that carry them
    quint16 gamePort = 0;

    // Defaults for a catalogue game: an engine's usual map and limit, and `playerCount` players.
    // `number` tells servers of one run apart in their names.
    static SimServerState forGame(const QString& game, int number = 1, int playerCount = 4);
    // `count` players with names from the pool and varied scores and pings.
    static std::vector<SimPlayer> makePlayers(const QString& engine, int count);
    // The k-th name of the simulated player pool, dressed as the engine's servers show names.
    static QByteArray playerName(const QString& engine, int k);
};

} // namespace trevisk
