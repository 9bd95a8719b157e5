#pragma once

#include "players/PlayerTable.h"
#include "query/SettingsTable.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

// A failure met while reading a server's answer, named after the routine that met it.
struct AnswerError
{
    QString procedure; // e.g. "GetUnrealPlayers()"
    QString description;
    qint32 number = 0;

    bool operator==(const AnswerError&) const = default;
};

// What one processed answer changes in the query object's results. An unset value leaves the
// previous one as it was; parsers that fail part-way keep what they could read.
struct AnswerUpdate
{
    std::optional<QString> hostname;
    QString colouredHostname; // the name with its colour codes, empty when it has none
    std::optional<QString> map;
    std::optional<QString> maxPlayers;
    std::optional<QString> numPlayers;
    std::optional<SettingsTable> settings;

    // players: unchanged unless playersChanged; then the new table, or no table at all.
    bool playersChanged = false;
    std::optional<PlayerTable> players;
    // Some rows of `players` stand in for players the answer left out: it tells nothing about who left.
    bool playersIncomplete = false;

    QList<AnswerError> errors;
};

} // namespace trevisk
