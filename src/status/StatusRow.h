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
    QDateTime ar; // when the last answer came; null after a time-out (shown as text by the grid)
    std::optional<QString> name;
    QString colouredName; // the name with its colour codes, empty when it has none
    std::optional<qint32> ping;
    std::optional<QTime> lastRefresh;
    QString manRef;                 // "1": refreshed only on demand
    std::optional<QString> players; // "n/max"
    std::optional<qint32> friends;
    std::optional<QString> map;
    QString server; // the user's memo
    std::optional<qint32> actPlayers;
    std::optional<qint32> actMax;
    std::optional<qint32> lastPlayers;
    std::optional<QString> lastMap;
    QString timeOut; // "1" while offline
    std::optional<qint32> timeOutCount;
    std::optional<QDateTime> lastMail;
    qint32 emailNotify = 0; // 1: no alert mail for this server
    qint32 autoJoin = 0;    // 1 while auto-join is armed
    ServerState state = ServerState::Waiting;
    QString stateReason; // what was wrong with a bad answer

    bool isOffline() const { return timeOut == QLatin1String("1"); }
    bool answered() const { return ar.isValid(); }
};

} // namespace trevisk
