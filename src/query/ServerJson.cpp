#include "query/ServerJson.h"

#include "query/ServerQuery.h"

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
        players.append(QJsonObject{{QStringLiteral("name"), player.name},
                                   {QStringLiteral("score"), numberOrText(player.score)},
                                   {QStringLiteral("ping"), numberOrText(player.ping)}});
    }
    QJsonArray settings;
    for (const ServerSetting& setting : result.settings)
        settings.append(QJsonArray{setting.setting, setting.value});
    return QJsonObject{{QStringLiteral("game"), result.game},
                       {QStringLiteral("address"), result.address},
                       {QStringLiteral("status"), result.answered ? QStringLiteral("up") : QStringLiteral("timeout")},
                       {QStringLiteral("hostname"), result.hostname},
                       {QStringLiteral("map"), result.map},
                       {QStringLiteral("numplayers"), result.playerCount()},
                       {QStringLiteral("maxplayers"), numberOrText(result.maxPlayers)},
                       {QStringLiteral("ping"), result.ping},
                       {QStringLiteral("players"), players},
                       {QStringLiteral("settings"), settings}};
}

QueryRound::Result queryResultOf(const ServerQuery& query, bool answered)
{
    QueryRound::Result result;
    result.game = query.game();
    result.address = query.address();
    result.answered = answered;
    result.hostname = query.hostname();
    result.map = query.map();
    result.maxPlayers = query.maxPlayers();
    result.numPlayers = query.numPlayers();
    result.ping = query.ping();
    result.players = query.players();
    result.settings = query.settings();
    return result;
}

} // namespace trevisk
