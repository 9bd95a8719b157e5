#pragma once

#include "query/ServerState.h"

#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace trevisk {

// What the monitor last learnt about one listed server. A result field that has never been
// written is unset, which the change detection treats differently from 0 or empty text.
struct StatusRow
{
    QString game;
    QString address;
    QDateTime answeredAt; // when the last answer came; null after a time-out (shown as text by the grid)
    QDateTime lastAnswer; // the same, but kept through time-outs and list changes; null until an answer
    std::optional<QString> name;
    QString colouredName; // the name with its colour codes, empty when it has none
    std::optional<qint32> ping;
    std::optional<QTime> lastRefresh;
    bool manualRefresh = false;     // refreshed only on request
    std::optional<QString> players; // "n/max"
    std::optional<qint32> friends;
    std::optional<QString> map;
    QString memo; // the user's label for the server
    std::optional<qint32> playerCount;
    std::optional<qint32> maxPlayers;
    std::optional<qint32> lastPlayers;
    std::optional<QString> lastMap;
    bool offline = false; // a named server went silent; cleared by its next answer
    std::optional<qint32> timeOutCount;
    std::optional<QDateTime> lastMail;
    bool noAlertMail = false;
    bool autoJoin = false; // while auto-join is armed
    ServerState state = ServerState::Waiting;
    QString stateReason; // what was wrong with a bad answer

    bool answered() const { return answeredAt.isValid(); }
};

} // namespace trevisk
