#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace trevisk {

// Ping and player counts over time, for the charts. A point costs 12 bytes: the server is a
// small id, not its address, and points older than the longest chart span are dropped.
class History
{
public:
    struct Point
    {
        quint32 stamp;  // seconds since the epoch
        quint32 server; // id of the address, see idOf()
        qint16 ping;    // -1: no answer
        qint16 players; // -1: no answer
    };

    static constexpr qint64 KeepSeconds = 6 * 60 * 60;

    // Appends a point; a server that did not answer has neither ping nor players.
    void
    append(const QDateTime& stamp, const QString& address, std::optional<qint32> ping, std::optional<qint32> players);
    void clear() { m_points.clear(); }

    quint32 idOf(const QString& address);
    std::optional<quint32> findId(const QString& address) const;
    QString addressOf(quint32 id) const;

    const std::deque<Point>& points() const { return m_points; }
    std::vector<Point> pointsOf(const QString& address) const;

private:
    std::deque<Point> m_points;
    QHash<QString, quint32> m_ids;
    std::vector<QString> m_addresses;
};

} // namespace trevisk
