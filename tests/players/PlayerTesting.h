#pragma once

#include "query/AnswerUpdate.h"

#include <QStringList>

// Parser results as short texts, so expected values fit in one line and a failure shows the fields.
namespace trevisk {

// "name,score,ping" per row with ",friend" for a friend, rows joined by ";"; "none" for no table.
inline QString playersText(const std::optional<PlayerTable>& players)
{
    if (!players)
        return QStringLiteral("none");
    QStringList rows;
    for (const Player& p : *players)
        rows << QStringList{p.name, p.score, p.ping}.join(QLatin1Char(','))
                    + (p.isFriend ? QStringLiteral(",friend") : QString());
    return rows.join(QLatin1Char(';'));
}

// "setting=value|setting=value"; "-" when the settings are left as they were.
inline QString settingsText(const std::optional<SettingsTable>& settings)
{
    if (!settings)
        return QStringLiteral("-");
    QStringList rows;
    for (const ServerSetting& setting : *settings)
        rows << setting.setting + QLatin1Char('=') + setting.value;
    return rows.join(QLatin1Char('|'));
}

// "hostname|map|maxPlayers|numPlayers", "-" for a value left as it was.
inline QString valuesText(const AnswerUpdate& update)
{
    QStringList values;
    for (const auto& value : {update.hostname, update.map, update.maxPlayers, update.numPlayers})
        values << value.value_or(QStringLiteral("-"));
    return values.join(QLatin1Char('|'));
}

} // namespace trevisk
