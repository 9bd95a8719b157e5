#include "sim/SimServerState.h"

#include "core/Catalogue.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace trevisk {

namespace {

constexpr std::array NamePool{"Sarge",     "Angelyss", "Grism", "Major",   "Visor",  "Doom",   "Anarki",  "Klesk",
                              "Hunter",    "Xaero",    "Slash", "Orbb",    "Bones",  "Ranger", "Phobos",  "Mynx",
                              "Keel",      "Lucy",     "Razor", "Stripe",  "Uriel",  "Wrack",  "Hossman", "Daemia",
                              "Bitterman", "Cadavre",  "Gorre", "Patriot", "Tankjr", "Biker",  "Crash",   "Sorlag"};

struct EngineDefaults
{
    const char* engine;
    const char* map;
    int maxPlayers;
};

constexpr std::array Defaults{EngineDefaults{"Q2", "q2dm1", 8},
                              EngineDefaults{"Q3", "q3dm17", 12},
                              EngineDefaults{"QW", "dm4", 8},
                              EngineDefaults{"HL", "crossfire", 16},
                              EngineDefaults{"UT", "DM-Deck16][", 16},
                              EngineDefaults{"UT2003", "DM-Antalus", 16},
                              EngineDefaults{"HALO", "bloodgulch", 16},
                              EngineDefaults{"NWN", "Chapter 1", 64},
                              EngineDefaults{"RVS", "Peaks", 16}};

} // namespace

QByteArray SimServerState::playerName(const QString& engine, int k)
{
    const int poolSize = static_cast<int>(NamePool.size());
    QByteArray name(NamePool[static_cast<size_t>(k % poolSize)]);
    if (k >= poolSize)
        name += QByteArray::number(k / poolSize + 1);
    if (engine == QLatin1String("Q3")) {
        // Quake 3 names keep their colour codes on the wire.
        name = '^' + QByteArray::number(1 + k % 6) + name.left(1) + "^7" + name.mid(1);
    } else if (engine == QLatin1String("QW") && k % 2 == 1) {
        // QuakeWorld's "gold" letters are the plain ones with the high bit set.
        for (char& c : name)
            c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    }
    return name;
}

SimServerState SimServerState::forGame(const QString& game, int number, int playerCount)
{
    SimServerState state;
    state.game = game;
    state.engine = getEngine(game);
    const QByteArray label = game.toLatin1() + ' ' + QByteArray::number(number);
    state.hostname = state.engine == QLatin1String("Q3") ? "Sim ^3" + label + "^7" : "Sim " + label;
    state.map = "map1";
    for (const EngineDefaults& d : Defaults) {
        if (state.engine == QLatin1String(d.engine)) {
            state.map = d.map;
            state.maxPlayers = d.maxPlayers;
        }
    }
    state.players = makePlayers(state.engine, std::min(playerCount, state.maxPlayers));
    return state;
}

std::vector<SimPlayer> SimServerState::makePlayers(const QString& engine, int count)
{
    std::vector<SimPlayer> players;
    for (int k = 0; k < count; ++k) {
        SimPlayer player;
        player.name = playerName(engine, k);
        player.score = (k * 7 + 3) % 25;
        player.ping = 25 + 15 * k;
        player.seconds = 60 * (k + 1);
        players.push_back(player);
    }
    return players;
}

} // namespace trevisk
