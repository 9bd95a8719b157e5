#pragma once

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

#include <vector>

namespace trevisk {

class History;

enum class HistoryType
{
    Players,
    Ping
};

// The text in English; a window shows it translated in the context "trevisk::HistorySeries".
struct HistorySpan
{
    QString text;
    int minutes;
};

// The spans a chart can cover, shortest first; the first is the default.
const std::vector<HistorySpan>& historySpans();

QString historyTypeText(HistoryType type);
// "Players graph for 'My Server'".
QString historyTitle(HistoryType type, const QString& name);

// One server's values within a span, ready to chart. x is milliseconds since the epoch, y the
// value. A time without an answer ends a segment, so the line breaks there instead of falling to zero.
struct HistorySeries
{
    QString title;
    QDateTime since;
    QDateTime until;
    std::vector<QList<QPointF>> segments;
    int pointCount = 0; // answered points over all segments
    int maxValue = 0;
};

HistorySeries historySeries(const History& history,
                            const QString& address,
                            const QString& name,
                            HistoryType type,
                            int minutes,
                            const QDateTime& now);

} // namespace trevisk
