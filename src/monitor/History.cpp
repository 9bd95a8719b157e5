#include "monitor/History.h"

#include <algorithm>

namespace trevisk {

namespace {

qint16 clamp16(qint32 value)
{
    return static_cast<qint16>(std::clamp<qint32>(value, 0, 32767));
}

} // namespace

quint32 History::idOf(const QString& address)
{
    const auto it = m_ids.constFind(address);
    if (it != m_ids.constEnd())
        return *it;
    const auto id = static_cast<quint32>(m_addresses.size());
    m_addresses.push_back(address);
    m_ids.insert(address, id);
    return id;
}

std::optional<quint32> History::findId(const QString& address) const
{
    const auto it = m_ids.constFind(address);
    return it == m_ids.constEnd() ? std::nullopt : std::optional<quint32>(*it);
}

QString History::addressOf(quint32 id) const
{
    return id < m_addresses.size() ? m_addresses[id] : QString();
}

void History::append(const QDateTime& stamp,
                     const QString& address,
                     std::optional<qint32> ping,
                     std::optional<qint32> players)
{
    const qint64 seconds = stamp.toSecsSinceEpoch();
    const bool answered = ping.has_value() && players.has_value();
    m_points.push_back({static_cast<quint32>(seconds),
                        idOf(address),
                        answered ? clamp16(*ping) : qint16(-1),
                        answered ? clamp16(*players) : qint16(-1)});
    const qint64 oldest = seconds - KeepSeconds;
    while (!m_points.empty() && static_cast<qint64>(m_points.front().stamp) < oldest)
        m_points.pop_front();
}

std::vector<History::Point> History::pointsOf(const QString& address) const
{
    std::vector<Point> result;
    const auto id = findId(address);
    if (!id)
        return result;
    for (const Point& point : m_points) {
        if (point.server == *id)
            result.push_back(point);
    }
    return result;
}

} // namespace trevisk
