#include "query/ServerState.h"

namespace trevisk {

QString stateText(ServerState state)
{
    switch (state) {
    case ServerState::Waiting:
        return QStringLiteral("...");
    case ServerState::Up:
        return QStringLiteral("up");
    case ServerState::NoAnswer:
        return QStringLiteral("no answer");
    case ServerState::Refused:
        return QStringLiteral("refused");
    case ServerState::BadAnswer:
        return QStringLiteral("bad answer");
    }
    return {};
}

QLatin1String stateKey(ServerState state)
{
    switch (state) {
    case ServerState::Waiting:
        return QLatin1String("waiting");
    case ServerState::Up:
        return QLatin1String("up");
    case ServerState::NoAnswer:
        return QLatin1String("timeout");
    case ServerState::Refused:
        return QLatin1String("refused");
    case ServerState::BadAnswer:
        return QLatin1String("bad_answer");
    }
    return {};
}

QString stateLine(ServerState state, const QString& reason)
{
    if (!reason.isEmpty())
        return stateText(state) + QStringLiteral(": ") + reason;
    return stateText(state);
}

} // namespace trevisk
