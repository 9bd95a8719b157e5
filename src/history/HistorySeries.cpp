#include "history/HistorySeries.h"

#include "core/Routines.h"
#include "history/History.h"

#include <QCoreApplication>

#include <algorithm>

namespace trevisk {

const std::vector<HistorySpan>& historySpans()
{
    static const std::vector<HistorySpan> spans{
        {QStringLiteral(QT_TRANSLATE_NOOP("trevisk::HistorySeries", "5 Minutes")), 5},
        {QStringLiteral(QT_TRANSLATE_NOOP("trevisk::HistorySeries", "30 Minutes")), 30},
        {QStringLiteral(QT_TRANSLATE_NOOP("trevisk::HistorySeries", "60 Minutes")), 60},
        {QStringLiteral(QT_TRANSLATE_NOOP("trevisk::HistorySeries", "2 Hours")), 120},
        {QStringLiteral(QT_TRANSLATE_NOOP("trevisk::HistorySeries", "6 Hours")), 360}};
    return spans;
}

QString historyTypeText(HistoryType type)
{
    return type == HistoryType::Ping ? QCoreApplication::translate("trevisk::HistorySeries", "Ping")
                                     : QCoreApplication::translate("trevisk::HistorySeries", "Players");
}

QString historyTitle(HistoryType type, const QString& name)
{
    // The name comes from the server: it must stay on the title's one line.
    return historyTypeText(type) + QCoreApplication::translate("trevisk::HistorySeries", " graph for '")
           + visibleText(name) + QLatin1Char('\'');
}

HistorySeries historySeries(const History& history,
                            const QString& address,
                            const QString& name,
                            HistoryType type,
                            int minutes,
                            const QDateTime& now)
{
    HistorySeries series;
    series.title = historyTitle(type, name);
    series.until = now;
    series.since = now.addSecs(-qint64(minutes) * 60);
    const qint64 since = series.since.toSecsSinceEpoch();
    const qint64 until = now.toSecsSinceEpoch();

    QList<QPointF> segment;
    const auto endSegment = [&] {
        if (!segment.isEmpty())
            series.segments.push_back(std::move(segment));
        segment = {};
    };
    // Points are appended in time order, so the server's points are already sorted.
    for (const History::Point& point : history.pointsOf(address)) {
        const qint64 stamp = point.stamp;
        if (stamp < since || stamp > until)
            continue;
        const qint16 value = type == HistoryType::Ping ? point.ping : point.players;
        if (value < 0) {
            endSegment();
            continue;
        }
        segment.append(QPointF(double(stamp * 1000), double(value)));
        ++series.pointCount;
        series.maxValue = std::max<int>(series.maxValue, value);
    }
    endSegment();
    return series;
}

} // namespace trevisk
