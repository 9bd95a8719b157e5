#pragma once

#include "alerts/UptimeLog.h"
#include "query/QueryEngine.h"
#include "query/QueryRound.h"
#include "query/ServerState.h"
#include "status/StatusRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>

#include <optional>
#include <utility>
#include <vector>

namespace trevisk {

// One watched server as the web status shows it.
struct ServerSnapshot
{
    StatusRow row;
    QueryRound::Result result; // the fields of `trevisk query --json`
    ServerState state = ServerState::Waiting;
    QDateTime lastAnswer; // null until the server has answered once since the start
    UptimeShares uptime;  // the share of answered cycles over the last day, week and 30 days
};

struct StatusSnapshot
{
    std::vector<ServerSnapshot> servers;
    QueryEngine::Counters counters;
    // Labels every metrics series carries (a shard of a fleet: "shard" and "instance"); none by default.
    std::vector<std::pair<QString, QString>> labels;
};

// The Prometheus text exposition format (version 0.0.4).
inline constexpr char MetricsContentType[] = "text/plain; version=0.0.4; charset=utf-8";
QByteArray metricsText(const StatusSnapshot& snapshot);
// The servers as JSON: the one-shot query's fields plus "state" and "uptime" (day, week, month shares).
QJsonArray serversJson(const StatusSnapshot& snapshot);
// A small page for a browser that reloads itself; every text from a server is escaped.
QByteArray statusPage(const StatusSnapshot& snapshot, int refreshSeconds);

} // namespace trevisk
