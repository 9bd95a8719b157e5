#pragma once

#include "query/AnswerUpdate.h"

#include <QString>

#include <optional>

namespace trevisk {

// Why an answer's numbers cannot be true (a negative or six-digit count, more players than
// slots, a score beyond 32 bits), or nothing. `knownMax` is the maximum an earlier answer of
// the cycle gave, for engines that send it apart from the players.
std::optional<QString> nonsenseIn(const AnswerUpdate& update, const QString& knownMax, bool reportsPlayerCount);

} // namespace trevisk
