#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace trevisk {

class StatusModel;
class UptimeLog;

// The status of every listed server as a plain-text table for a terminal, ending with a
// summary line: "Servers: N, answered: A, offline: O, not answered yet: W". With an uptime log,
// each server's share of answered cycles over the last day, week and 30 days as of `now`.
QString formatStatusTable(const StatusModel& status, const UptimeLog* uptime = nullptr, const QDateTime& now = {});
// The same table handed to `write` a few rows at a time (each piece ends with a line break), so
// that ten thousand servers never make one text of megabytes that the allocator then keeps.
void writeStatusTable(const StatusModel& status,
                      const UptimeLog* uptime,
                      const QDateTime& now,
                      const std::function<void(const QString&)>& write);

} // namespace trevisk
