#pragma once

#include "players/PlayerTable.h"
#include "query/AnswerUpdate.h"
#include "status/StatusRow.h"
#include "store/Records.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace trevisk {

struct AppSettings;
struct EmailSettings;
class FriendList;

// What a query object holds at the end of a cycle, as the change rules read it.
struct CycleResult
{
    QString game;
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
    bool playersIncomplete = false;       // the rows leave players out: nobody can be seen leaving
    QStringList friendsPresent;           // the friends seen on the server up to this cycle
};

// How a server's query ended without an answer: every try timed out, or the port was refused.
struct TimeOutResult
{
    QString hostname; // the name the server last gave
    ServerState state = ServerState::NoAnswer;
    QString reason;
};

// What the rules read besides the server's own row: the user's settings and the server's alert state.
struct RuleInputs
{
    const AppSettings& settings;
    const std::vector<FavouriteMap>& favourites;
    const FriendList& friends;
    const EmailSettings& email;
    QDateTime now;
    bool snoozed = false;     // the server's alerts are held back: logged, but no pop-up, sound or mail
    bool quietOutage = false; // its outage began while snoozed: it is not mailed about
};

enum class EventKind
{
    FavouriteMap,
    FriendsOff,
    FriendsOn,
    BackOnline,
    BecameActive,
    WentOffline
};

// One event for the user: the text shown (translated) and the log's line (English).
struct MonitorEvent
{
    EventKind kind;
    QString shown;
    QString logged;
    bool popUp = false;
    bool log = false;
    int sound = -1; // the sound slot to play, -1 for none

    bool operator==(const MonitorEvent&) const = default;
};

// Everything a cycle or a time-out causes, in the order the user is told.
struct StepOutcome
{
    StatusRow row;
    std::vector<MonitorEvent> events;
    QStringList friendsPresent; // after a cycle with players: the friends on the server now
    bool quietOutage = false;   // the new alert state
    bool mailDue = false;       // an alert mail goes out (unless one is still on its way)
};

// The row of a listed server before its first answer.
StatusRow listedRow(const ServerRecord& record);
// The listed fields of a row follow an edit of its record; what was learnt of the server stays.
void relist(StatusRow& row, const ServerRecord& record);

// Writes a cycle into the server's row and says what it causes: back online (or became active),
// a favourite map, friends who came or left.
StepOutcome applyCycle(const StatusRow& previous, const CycleResult& result, const RuleInputs& inputs);
// Counts a time-out: the server goes offline once per outage (never one that has not answered since
// it was listed), and an alert mail may be due.
StepOutcome applyTimeOut(const StatusRow& previous, const TimeOutResult& result, const RuleInputs& inputs);
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
// The same from the players' names.
FriendChanges
compareFriends(const QStringList& names, bool incomplete, const QStringList& present, const FriendList& friends);

// The first favourite of `game` whose text occurs in `map` (case-sensitive), if any.
const FavouriteMap*
findFavouriteMap(const std::vector<FavouriteMap>& favourites, const QString& game, const QString& map);

// Whether the row, its time-out already counted, passes the switches, the threshold and the repeat rule.
bool alertMailDue(const EmailSettings& settings, const StatusRow& row, const QDateTime& now);

} // namespace trevisk
