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

// A server's address split: "host:port", "[IPv6]:port", or either without its port. An IPv6
// literal needs its brackets before a port; a text with two colons or more and no brackets is all
// host, so "::1:27960" never reads as ::1 with a port. `valid` is false for broken brackets
// ("[::1", "[::1]x"); the host then is empty.
struct HostPort
{
    QString host; // without brackets
    QString port; // empty when none was given
    bool hasPort = false;
    bool valid = true;
};
HostPort splitAddress(const QString& address);
// "host:port", with brackets around a host that holds a colon (an IPv6 literal).
QString joinAddress(const QString& host, const QString& port);
// An IPv6 literal as a server's host: no zone id ("fe80::1%eth0"), which only means something
// on the machine that wrote it.
bool isIPv6Host(const QString& host);

// The port part of an address, or the text "27910" when it has none.
QString gamePortText(const QString& address);
// The host part, without brackets.
QString hostPart(const QString& address);
// The port that answers status queries for a server of this game at this address.
int queryPort(const QString& game, const QString& address, int explicitQueryPort = 0);

} // namespace trevisk
