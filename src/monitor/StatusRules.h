#pragma once

#include "monitor/StatusRow.h"
#include "players/Player.h"
#include "store/Records.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace trevisk {

class FriendList;

// What a query object holds at the end of a cycle, as the change rules read it.
struct CycleResult
{
    QString hostname;
    QString colouredHostname;
    QString map;
    QString numPlayers;
    QString maxPlayers;
    QDateTime lastRefresh; // null when the cycle timed out
    qint32 ping = 0;
    const PlayerTable* players = nullptr; // none when the last parser gave no table
    bool playersReceived = false;         // some answer has carried players
    bool reportsPlayerCount = false;      // the engine states its count; its rows may be partial or missing
    int friendCount = 0;                  // friends among the players
};

// The events one cycle raises for the user.
struct StatusChanges
{
    bool backOnline = false;
    bool becameActive = false;
    bool mapChanged = false;
};

// Writes a cycle into the server's row and says what changed since the previous one.
StatusChanges applyCycle(StatusRow& row, const CycleResult& result);
// Counts a time-out; true when the server has just gone offline (once per outage, and never
// for a server that has not answered since it was listed).
// `state` says how: every try timed out, or the port was refused.
bool applyTimeOut(StatusRow& row, ServerState state = ServerState::NoAnswer, const QString& reason = QString());
// Something answered, but not with a true answer: only the state changes; nothing it said is kept.
void applyBadAnswer(StatusRow& row, const QString& reason);

// The counts the full test reads; a count without a number is not known.
struct PlayerCounts
{
    std::optional<qint32> players;
    std::optional<qint32> maximum;

    static PlayerCounts of(const StatusRow& row) { return {row.playerCount, row.maxPlayers}; }
    // Known to have no free slot.
    bool full() const { return players && maximum && *players >= *maximum; }
    // Known to have a free slot.
    bool hasRoom() const { return players && maximum && *players < *maximum; }
};

// Friends who came onto or left a server since its previous answer.
struct FriendChanges
{
    QStringList present; // the friends now on the server, in the order first seen
    QStringList cameOn;
    QStringList wentOff;
};

// An incomplete player list says nothing about who left: it changes nothing.
FriendChanges
compareFriends(const PlayerTable& players, bool incomplete, const QStringList& present, const FriendList& friends);

// The first favourite of `game` whose text occurs in `map` (case-sensitive), if any.
const FavouriteMap*
findFavouriteMap(const std::vector<FavouriteMap>& favourites, const QString& game, const QString& map);

} // namespace trevisk
