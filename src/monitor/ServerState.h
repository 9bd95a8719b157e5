#pragma once

#include <QString>

namespace trevisk {

struct StatusRow;

// What the web status says of a server. Only what the status table knows: whether the last cycle
// was answered, and whether any cycle has ended unanswered since then.
enum class ServerState
{
    Unknown, // not yet answered nor timed out
    Up,
    Offline, // the last cycle went unanswered
};

ServerState serverState(const StatusRow& row);
// "unknown", "up", "offline": the label value and JSON text.
QString serverStateName(ServerState state);
inline constexpr ServerState AllServerStates[] = {ServerState::Unknown, ServerState::Up, ServerState::Offline};

} // namespace trevisk
