#pragma once

#include "query/QueryRound.h"

#include <QJsonObject>

namespace trevisk {

class ServerQuery;

// One server as `trevisk query --json` prints it; the web status serves the same fields.
QJsonObject queryResultJson(const QueryRound::Result& result);

// What a query object holds now, in the shape of a one-shot query's result.
QueryRound::Result queryResultOf(const ServerQuery& query, bool answered);

} // namespace trevisk
