#include "monitor/ServerState.h"

#include "monitor/StatusRow.h"

namespace trevisk {

ServerState serverState(const StatusRow& row)
{
    if (row.answered())
        return ServerState::Up;
    // A server that was never seen times out without being marked offline: its count tells.
    if (row.isOffline() || row.timeOutCount.value_or(0) > 0)
        return ServerState::Offline;
    return ServerState::Unknown;
}

QString serverStateName(ServerState state)
{
    switch (state) {
    case ServerState::Up:
        return QStringLiteral("up");
    case ServerState::Offline:
        return QStringLiteral("offline");
    case ServerState::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

} // namespace trevisk
