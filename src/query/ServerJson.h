#pragma once

#include "query/QueryRound.h"

#include <QJsonObject>

namespace trevisk {

class ServerQuery;

// One server as `trevisk query --json` prints it, appended to `out`: an indented object whose lines
// after the first stand `depth` levels deep, in the bytes QJsonDocument would write for it.
void appendQueryResultJson(QByteArray& out, const QueryRound::Result& result, int depth = 0);
// The same fields as an object, for the web status to add its own to.
QJsonObject queryResultJson(const QueryRound::Result& result);

// What a query object holds now, in the shape of a one-shot query's result.
QueryRound::Result queryResultOf(const ServerQuery& query, bool answered);

} // namespace trevisk
