#include "query/ServerState.h"

#include "query/AnswerCheck.h"

#include <QCoreApplication>

namespace trevisk {

namespace {

const char* stateWord(ServerState state)
{
    switch (state) {
    case ServerState::Waiting:
        return "...";
    case ServerState::Up:
        return QT_TRANSLATE_NOOP("ServerState", "up");
    case ServerState::NoAnswer:
        return QT_TRANSLATE_NOOP("ServerState", "no answer");
    case ServerState::Refused:
        return QT_TRANSLATE_NOOP("ServerState", "refused");
    case ServerState::BadAnswer:
        return QT_TRANSLATE_NOOP("ServerState", "bad answer");
    }
    return "";
}

} // namespace

QString stateText(ServerState state)
{
    return QString::fromLatin1(stateWord(state));
}

QString shownStateText(ServerState state)
{
    return QCoreApplication::translate("ServerState", stateWord(state));
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

QString shownStateLine(ServerState state, const QString& reason)
{
    if (state == ServerState::BadAnswer && !reason.isEmpty())
        return shownStateText(state) + QStringLiteral(": ") + shownReason(reason);
    return shownStateText(state);
}

} // namespace trevisk
