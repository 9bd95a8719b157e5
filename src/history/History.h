#pragma once

#include <QDateTime>
#include <QString>

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
    // A track's bits lie in a chain of fixed chunks carved from large slabs: every chunk is alike,
    // so one a track gives up serves any other and no room is lost between blocks of the heap.
    static constexpr quint32 NoChunk = 0xffffffff;
    static constexpr int ChunkBytes = 60;
    static constexpr quint32 ChunkBits = 8 * ChunkBytes;
    static constexpr quint32 SlabChunks = 1024;
    struct Chunk
    {
        quint32 next; // the next chunk of its track, or of the free list
        quint8 bits[ChunkBytes];
    };
    // The kept rows run from bit `head` of chunk `first` to bit `end` of chunk `tail`; the bits
    // after `end` are 0. A track with no rows has no chunk.
    struct Track
    {
        quint32 first = NoChunk;
        quint32 tail = NoChunk;
        quint32 head = 0;
        quint32 end = 0;
        quint32 count = 0; // rows kept
        Cursor base;       // the state before the first kept row
        Cursor last;       // the state after the last row
    };
    static constexpr quint32 BlockTracks = 64;
    friend class HistoryBits;

    static Point readRow(Cursor& cursor, HistoryBits& bits, quint32 server);
    Track& track(quint32 id) { return m_tracks[id / BlockTracks][id % BlockTracks]; }
    const Track& track(quint32 id) const { return m_tracks[id / BlockTracks][id % BlockTracks]; }
    Chunk& chunk(quint32 index) { return m_slabs[index / SlabChunks][index % SlabChunks]; }
    const Chunk& chunk(quint32 index) const { return m_slabs[index / SlabChunks][index % SlabChunks]; }
    quint32 takeChunk();
    void freeChunks(quint32 first, quint32 last);
    quint32 serverCount() const { return static_cast<quint32>(m_nameEnds.size()); }
    // The slot of `name` in m_slots: its id + 1, or 0 where it would go.
    size_t slotOf(const char* name, quint32 size) const;
    void addSlot(quint32 id);
    template <typename Visit> void visitRows(quint32 id, Visit&& visit) const;
    void trimTrack(Track& track);
    void sweep();

    // Tracks by id, in blocks so that adding servers neither moves them nor leaves a vector's slack.
    std::vector<std::unique_ptr<Track[]>> m_tracks;
    std::vector<std::unique_ptr<Chunk[]>> m_slabs;
    quint32 m_carved = 0;     // chunks handed out of the slabs so far
    quint32 m_free = NoChunk; // chunks given back, reused first
    // The addresses in UTF-8, one after another, and where each id's one ends.
    std::vector<char> m_names;
    std::vector<quint32> m_nameEnds;
    // Open addressing from an address to its id + 1; 0 is a free slot.
    std::vector<quint32> m_slots;
    qint64 m_cutoff = 0; // rows older than this are gone
    qint64 m_swept = 0;  // the cutoff of the last sweep over every server
};

} // namespace trevisk
