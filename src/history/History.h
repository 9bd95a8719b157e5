#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

// Ping and player counts over time, for the charts. Each server keeps its rows as a run of
// bytes, each row a change against the row before (usually one or two bytes): a hundred
// thousand servers keep six hours of rounds in little memory. Rows older than the longest chart
// span are dropped.
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

    static constexpr qint64 KeepSeconds = qint64{6} * 60 * 60;

    // Appends a point; a server that did not answer has neither ping nor players.
    void
    append(const QDateTime& stamp, const QString& address, std::optional<qint32> ping, std::optional<qint32> players);
    void clear();

    quint32 idOf(const QString& address);
    std::optional<quint32> findId(const QString& address) const;
    QString addressOf(quint32 id) const;

    // Rows kept, of every server.
    qint64 rowCount() const;
    // Every server's rows, oldest first (rows of one second in the order of the servers' ids).
    std::vector<Point> points() const;
    std::vector<Point> pointsOf(const QString& address) const;
    // Heap the rows' bytes take, for the benchmarks.
    qint64 rowBytes() const;

private:
    // The state a row is written against: the row before it, and the gap before that one.
    struct Cursor
    {
        quint32 stamp = 0;
        qint64 gap = 0;
        qint16 ping = 0; // the last answered values: a row with no answer leaves them
        qint16 players = 0;
    };
    struct Track
    {
        std::vector<quint8> bytes;
        quint32 head = 0;  // offset of the first kept row
        quint32 count = 0; // rows kept
        Cursor base;       // the state before the first kept row
        Cursor last;       // the state after the last row
    };

    static Point readRow(Cursor& cursor, const quint8*& at, quint32 server);
    template <typename Visit> void visitRows(quint32 id, Visit&& visit) const;
    void trimTrack(Track& track) const;
    void sweep();

    std::vector<Track> m_tracks; // by id
    QHash<QString, quint32> m_ids;
    std::vector<QString> m_addresses;
    qint64 m_cutoff = 0; // rows older than this are gone
    qint64 m_swept = 0;  // the cutoff of the last sweep over every server
};

} // namespace trevisk
