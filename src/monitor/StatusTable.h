#pragma once

#include <QDateTime>
#include <QString>

namespace trevisk {

class StatusModel;
class UptimeLog;

// The status of every listed server as a plain-text table for a terminal, ending with a
// summary line: "Servers: N, answered: A, offline: O, not answered yet: W". With an uptime log,
// each server's share of answered cycles over the last day, week and 30 days as of `now`.
QString formatStatusTable(const StatusModel& status, const UptimeLog* uptime = nullptr, const QDateTime& now = {});

} // namespace trevisk
