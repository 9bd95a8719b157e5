#pragma once

#include <QString>

namespace trevisk {

class StatusModel;

// The status of every listed server as a plain-text table for a terminal, ending with a
// summary line: "Servers: N, answered: A, offline: O, not answered yet: W".
QString formatStatusTable(const StatusModel& status);

} // namespace trevisk
