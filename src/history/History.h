#pragma once

#include <QDateTime>
#include <QString>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace trevisk {

class HistoryBits;

// Ping and player counts over time, for the charts. Each server keeps its rows as a run of bits,
// each row a change against the row before (usually about a byte, a steady server's a few bits):
// a hundred thousand servers keep six hours of rounds in little memory. Rows older than the
// longest chart span are dropped.
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

    History();
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

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
    // The state a row is written against: the row before it, the gap before that one, the last
    // answered values (a row with no answer leaves them) and the running size of the ping's
    // changes, which picks the ping's code.
    struct Cursor
    {
        quint32 stamp = 0;
        qint32 gap = 0;
        quint16 ping = 0;
        quint16 players = 0;
        quint16 scale = 0;
    };
    struct FreeBytes
    {
        void operator()(quint8* bytes) const { std::free(bytes); }
    };
    // Bits [head, end) of `bytes` are the kept rows; the bits after `end` in its last byte are 0.
    struct Track
    {
        std::unique_ptr<quint8, FreeBytes> bytes;
        quint32 capacity = 0;
        quint32 head = 0;
        quint32 end = 0;
        quint32 count = 0; // rows kept
        Cursor base;       // the state before the first kept row
        Cursor last;       // the state after the last row
    };
    static constexpr quint32 ChunkTracks = 64;

    static Point readRow(Cursor& cursor, HistoryBits& bits, quint32 server);
    Track& track(quint32 id) { return m_chunks[id / ChunkTracks][id % ChunkTracks]; }
    const Track& track(quint32 id) const { return m_chunks[id / ChunkTracks][id % ChunkTracks]; }
    quint32 serverCount() const { return static_cast<quint32>(m_nameEnds.size()); }
    // The slot of `name` in m_slots: its id + 1, or 0 where it would go.
    size_t slotOf(const char* name, quint32 size) const;
    void addSlot(quint32 id);
    template <typename Visit> void visitRows(quint32 id, Visit&& visit) const;
    void trimTrack(Track& track) const;
    void sweep();

    // Tracks by id, in chunks so that adding servers neither moves them nor leaves a vector's slack.
    std::vector<std::unique_ptr<Track[]>> m_chunks;
    // The addresses in UTF-8, one after another, and where each id's one ends.
    std::vector<char> m_names;
    std::vector<quint32> m_nameEnds;
    // Open addressing from an address to its id + 1; 0 is a free slot.
    std::vector<quint32> m_slots;
    qint64 m_cutoff = 0; // rows older than this are gone
    qint64 m_swept = 0;  // the cutoff of the last sweep over every server
};

} // namespace trevisk
