#pragma once

#include "query/AnswerUpdate.h"

#include <optional>

namespace trevisk {

// A player parser's outcome: a table, or no table when the answer could not be read, with the error.
struct PlayersResult
{
    std::optional<PlayerTable> players;
    std::optional<AnswerError> error;
    bool incomplete = false; // some rows stand in for players the answer left out

    bool operator==(const PlayersResult&) const = default;

    static PlayersResult failed(const char* procedure, const QString& description, qint32 number)
    {
        return {std::nullopt, AnswerError{QString::fromLatin1(procedure), description, number}, false};
    }
};

// Puts a parser's outcome into an answer update: the players are replaced, by a table or by none.
inline void takePlayers(AnswerUpdate& update, PlayersResult result)
{
    update.playersChanged = true;
    update.players = std::move(result.players);
    // The table is kept until the next answer: no room beyond its rows.
    if (update.players)
        update.players->squeeze();
    update.playersIncomplete = result.incomplete;
    if (result.error)
        update.errors.append(*result.error);
}

} // namespace trevisk
