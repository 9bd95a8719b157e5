#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace trevisk {

struct GameInfo
{
    QString game;
    qint32 port = 0;
    QString engine;
    // 0: derive from the game port by engine; -1: the game port itself; else this fixed port.
    qint32 query = 0;
    QString shortName;
    // Quake 3 family: the network protocol its servers report to the masters (0: unknown), and the
    // game name of the extended master request (empty: the plain request).
    qint32 masterProtocol = 0;
    QString masterName;
};

// The fixed list of supported games, in its natural order.
const std::vector<GameInfo>& games();
const GameInfo* findGame(const QString& game);

// Empty text when the game is not in the catalogue.
QString getEngine(const QString& game);
QString getQuery(const QString& game);
// The game's usual port as text, "27910" for a game not in the catalogue.
QString defaultPort(const QString& game);
// Every game name, sorted without regard to case.
QStringList sortedGameList();

// The port part of an address ("host:port"), or the text "27910" when it has no colon.
QString gamePortText(const QString& address);
QString hostPart(const QString& address);
// The port that answers status queries for a server of this game at this address.
int queryPort(const QString& game, const QString& address, int explicitQueryPort = 0);

} // namespace trevisk
