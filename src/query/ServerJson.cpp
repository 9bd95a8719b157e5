#include "query/ServerJson.h"

#include "query/ServerQuery.h"
#include "query/ServerState.h"

#include <QJsonArray>

namespace trevisk {

namespace {

QJsonValue numberOrText(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        return number;
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

} // namespace

QJsonObject queryResultJson(const QueryRound::Result& result)
{
    QJsonArray players;
    for (const Player& player : result.players.value_or(PlayerTable{})) {
        QJsonObject row{{QStringLiteral("name"), player.name},
                        {QStringLiteral("score"), numberOrText(player.score)},
                        {QStringLiteral("ping"), numberOrText(player.ping)}};
        if (!player.time.isEmpty())
            row.insert(QStringLiteral("time"), player.time);
        players.append(row);
    }
    QJsonArray settings;
    for (const ServerSetting& setting : result.settings)
        settings.append(QJsonArray{setting.setting, setting.value});
    // A query that ended without any word from the server is a time-out.
    const ServerState state = result.answered
                                  ? ServerState::Up
                                  : (result.state == ServerState::Waiting ? ServerState::NoAnswer : result.state);
    QJsonObject object{{QStringLiteral("game"), result.game},
                       {QStringLiteral("address"), result.address},
                       {QStringLiteral("status"), QString(stateKey(state))},
                       {QStringLiteral("hostname"), result.hostname},
                       {QStringLiteral("map"), result.map},
                       {QStringLiteral("numplayers"), result.playerCount()},
                       {QStringLiteral("maxplayers"), numberOrText(result.maxPlayers)},
                       {QStringLiteral("ping"), result.ping},
                       {QStringLiteral("players"), players},
                       {QStringLiteral("settings"), settings}};
    if (state == ServerState::BadAnswer)
        object.insert(QStringLiteral("reason"), result.stateReason);
    return object;
}

QueryRound::Result queryResultOf(const ServerQuery& query, bool answered)
{
    QueryRound::Result result;
    result.game = query.game();
    result.address = query.address();
    result.answered = answered;
    result.state = answered ? ServerState::Up : query.state();
    result.stateReason = query.stateReason();
    result.copyAnswer(query);
    return result;
}

} // namespace trevisk
