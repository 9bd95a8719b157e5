#include "history/History.h"

#include <QHashFunctions>
#include <QVarLengthArray>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace trevisk {

namespace {

quint16 clamp16(qint32 value)
{
    return static_cast<quint16>(std::clamp<qint32>(value, 0, 32767));
}

// A row starts with the ping's code. An ordinary row (the same gap, an answer, the same players)
// codes its ping's change zigzagged plus one; a 0 there says one of the rarer rows follows:
//   0   no answer;
//   10  the players changed: their change, then the ping's change;
//   11  the gap changed: the gap, a bit for an answer and, with one, a bit for a players change,
//       the players' change if so, and the ping's change.
// The ping's change is Rice coded with a parameter from the running mean of its recent changes,
// so a steady server spends a few bits on it and a jumping one about eight; a change too large
// for the unary part follows in full. Gaps and players' changes are Exp-Golomb coded.
constexpr int PingUnaryLimit = 16;
constexpr int PingBits = 16;
constexpr int GapOrder = 0;
constexpr int PlayersOrder = 1;
// The running mean is kept times 16; changes count at most this much in it, so it fits 16 bits.
constexpr int ScaleShift = 4;
constexpr quint32 ScaleChangeLimit = 4095;
// Longest row: a gap's code, a players' change, a ping's escape and the marks between them.
constexpr int MostRowBits = 2 * 34 + 2 * 17 + 2 * (PingUnaryLimit + PingBits) + 8;
// Servers that no longer get rows drop their old ones on a sweep this often (seconds of stamps).
constexpr qint64 SweepSeconds = qint64{10} * 60;

quint32 zigzag(qint32 value)
{
    return (static_cast<quint32>(value) << 1) ^ static_cast<quint32>(value >> 31);
}

qint32 unzigzag(quint32 value)
{
    return static_cast<qint32>(value >> 1) ^ -static_cast<qint32>(value & 1);
}

int riceParameter(quint16 scale)
{
    return std::max(0, static_cast<int>(std::bit_width(static_cast<quint32>(scale >> ScaleShift))) - 1);
}

quint16 nextScale(quint16 scale, quint32 change)
{
    return static_cast<quint16>(scale - (scale >> ScaleShift) + std::min(change, ScaleChangeLimit));
}

// The address in UTF-8; the usual short ASCII one without a trip to the heap.
QVarLengthArray<char, 64> utf8(const QString& address)
{
    QVarLengthArray<char, 64> name(address.size());
    for (qsizetype i = 0; i < address.size(); ++i) {
        const char16_t unit = address[i].unicode();
        if (unit >= 0x80) {
            const QByteArray bytes = address.toUtf8();
            name.clear();
            name.append(bytes.constData(), bytes.size());
            break;
        }
        name[i] = static_cast<char>(unit);
    }
    return name;
}

// One row's bits as they are written, before they go onto the end of a track.
class RowBits
{
public:
    // Starts after the first `used` bits of `partial`: the track's last, partly filled byte.
    RowBits(quint8 partial, int used)
        : m_word(partial & ((1u << used) - 1))
        , m_used(used)
    {}
    void put(quint64 bits, int count) // count <= 32
    {
        m_word |= (bits & ((quint64{1} << count) - 1)) << m_used;
        m_used += count;
        while (m_used >= 8) {
            m_bytes[m_size++] = static_cast<quint8>(m_word);
            m_word >>= 8;
            m_used -= 8;
        }
    }
    void ones(int count)
    {
        for (; count > 0; count -= 32)
            put((quint64{1} << std::min(count, 32)) - 1, std::min(count, 32));
    }
    void rice(quint32 value, int parameter)
    {
        const quint32 quotient = value >> parameter;
        if (quotient >= quint32(PingUnaryLimit)) {
            ones(PingUnaryLimit);
            put(value, PingBits);
            return;
        }
        ones(static_cast<int>(quotient));
        put(0, 1);
        put(value & ((quint32{1} << parameter) - 1), parameter);
    }
    void expGolomb(quint64 value, int order)
    {
        const quint64 shifted = value + (quint64{1} << order);
        const int width = static_cast<int>(std::bit_width(shifted)) - 1;
        ones(width - order);
        put(0, 1);
        for (int done = 0; done < width; done += 32)
            put((shifted >> done) & 0xffffffffu, std::min(32, width - done));
    }
    int bitCount() const { return m_size * 8 + m_used; }
    int byteCount() const { return (bitCount() + 7) / 8; }
    // The bytes, the last one padded with zero bits.
    const quint8* bytes()
    {
        if (m_used > 0)
            m_bytes[m_size] = static_cast<quint8>(m_word);
        return m_bytes;
    }

private:
    quint64 m_word = 0;
    int m_used = 0;
    int m_size = 0;
    quint8 m_bytes[MostRowBits / 8 + 3] = {};
};

} // namespace

// Reads a track's bits from its head on, following its chunks, never past its end (past it, it
// reads zeros). Positions count bits from the start of the track's first chunk.
class HistoryBits
{
public:
    HistoryBits(const History& history, const History::Track& track)
        : m_history(history)
        , m_chunk(track.first)
        , m_tail(track.tail)
        , m_tailBytes((track.end + 7) / 8)
        , m_loaded(track.head / 8 * 8)
    {
        if (m_chunk == History::NoChunk)
            return;
        m_at = history.chunk(m_chunk).bits + track.head / 8;
        m_stop = stopOf(m_chunk);
        refill();
        drop(static_cast<int>(track.head % 8));
    }
    quint32 position() const { return m_loaded - static_cast<quint32>(m_have); }
    quint32 take(int count) // count <= 32
    {
        if (m_have < count)
            refill();
        const auto value = static_cast<quint32>(m_word & ((quint64{1} << count) - 1));
        drop(count);
        return value;
    }
    // Counts the ones before a zero and takes the zero; stops at `limit` ones.
    int ones(int limit)
    {
        int count = 0;
        for (;;) {
            if (m_have < 32)
                refill();
            const int have = m_have;
            const int run = std::min(std::countr_one(m_word), limit - count);
            drop(run);
            count += run;
            if (count == limit)
                return count;
            if (run < have || (m_at == m_stop && m_chunk == m_tail)) {
                drop(1);
                return count;
            }
        }
    }
    quint32 rice(int parameter)
    {
        const int quotient = ones(PingUnaryLimit);
        if (quotient == PingUnaryLimit)
            return take(PingBits);
        return (static_cast<quint32>(quotient) << parameter) | take(parameter);
    }
    quint64 expGolomb(int order)
    {
        const int width = ones(40) + order;
        quint64 shifted = quint64{1} << width;
        for (int done = 0; done < width; done += 32)
            shifted |= quint64{take(std::min(32, width - done))} << done;
        return shifted - (quint64{1} << order);
    }

private:
    const quint8* stopOf(quint32 chunk) const
    {
        return m_history.chunk(chunk).bits + (chunk == m_tail ? m_tailBytes : History::ChunkBytes);
    }
    void refill()
    {
        while (m_have <= 56) {
            if (m_at == m_stop) {
                if (m_chunk == m_tail)
                    return;
                m_chunk = m_history.chunk(m_chunk).next;
                m_at = m_history.chunk(m_chunk).bits;
                m_stop = stopOf(m_chunk);
            }
            m_word |= quint64{*m_at++} << m_have;
            m_have += 8;
            m_loaded += 8;
        }
    }
    void drop(int count)
    {
        m_word = count >= 64 ? 0 : m_word >> count;
        m_have = std::max(0, m_have - count);
    }

    const History& m_history;
    quint32 m_chunk;
    quint32 m_tail;
    quint32 m_tailBytes;
    quint32 m_loaded; // bits read into the word so far, counted as positions are
    const quint8* m_at = nullptr;
    const quint8* m_stop = nullptr;
    quint64 m_word = 0;
    int m_have = 0;
};

// Reads the row at `bits` against `cursor`, moves both past it and returns it.
History::Point History::readRow(Cursor& cursor, HistoryBits& bits, quint32 server)
{
    const int parameter = riceParameter(cursor.scale);
    quint32 pingChange = bits.rice(parameter);
    bool answered = true;
    if (pingChange > 0) {
        --pingChange;
    } else {
        bool playersChange = true;
        if (!bits.take(1)) {
            answered = false;
        } else if (bits.take(1)) {
            cursor.gap = unzigzag(static_cast<quint32>(bits.expGolomb(GapOrder)));
            answered = bits.take(1);
            playersChange = answered && bits.take(1);
        }
        if (answered) {
            if (playersChange) {
                const auto change = unzigzag(static_cast<quint32>(bits.expGolomb(PlayersOrder) + 1));
                cursor.players = static_cast<quint16>(cursor.players + change);
            }
            pingChange = bits.rice(parameter);
        }
    }
    cursor.stamp += static_cast<quint32>(cursor.gap);
    if (!answered)
        return {cursor.stamp, server, -1, -1};
    cursor.ping = static_cast<quint16>(cursor.ping + unzigzag(pingChange));
    cursor.scale = nextScale(cursor.scale, pingChange);
    return {cursor.stamp, server, static_cast<qint16>(cursor.ping), static_cast<qint16>(cursor.players)};
}

History::History() = default;
History::~History() = default;

size_t History::slotOf(const char* name, quint32 size) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHash(QByteArrayView(name, size)) & mask;; slot = (slot + 1) & mask) {
        const quint32 id = m_slots[slot];
        if (id == 0)
            return slot;
        const quint32 start = id > 1 ? m_nameEnds[id - 2] : 0;
        if (m_nameEnds[id - 1] - start == size && std::memcmp(m_names.data() + start, name, size) == 0)
            return slot;
    }
}

void History::addSlot(quint32 id)
{
    const quint32 start = id > 0 ? m_nameEnds[id - 1] : 0;
    m_slots[slotOf(m_names.data() + start, m_nameEnds[id] - start)] = id + 1;
}

quint32 History::idOf(const QString& address)
{
    const auto name = utf8(address);
    const auto size = static_cast<quint32>(name.size());
    if (!m_slots.empty()) {
        const quint32 found = m_slots[slotOf(name.constData(), size)];
        if (found != 0)
            return found - 1;
    }
    const quint32 id = serverCount();
    // Grown by a quarter: the names of many servers would leave a doubling's slack.
    if (m_names.size() + size > m_names.capacity())
        m_names.reserve(m_names.size() + m_names.size() / 4 + size + 256);
    m_names.insert(m_names.end(), name.constData(), name.constData() + size);
    if (m_nameEnds.size() == m_nameEnds.capacity())
        m_nameEnds.reserve(m_nameEnds.size() + m_nameEnds.size() / 4 + 64);
    m_nameEnds.push_back(static_cast<quint32>(m_names.size()));
    if (id % BlockTracks == 0)
        m_tracks.push_back(std::make_unique<Track[]>(BlockTracks));
    // Kept at most four fifths full, so that a lookup rarely walks far.
    if (5 * (size_t{id} + 1) > 4 * m_slots.size()) {
        m_slots.assign(std::max<size_t>(64, 2 * m_slots.size()), 0);
        for (quint32 other = 0; other < id; ++other)
            addSlot(other);
    }
    addSlot(id);
    return id;
}

std::optional<quint32> History::findId(const QString& address) const
{
    if (m_slots.empty())
        return std::nullopt;
    const auto name = utf8(address);
    const quint32 found = m_slots[slotOf(name.constData(), static_cast<quint32>(name.size()))];
    return found == 0 ? std::nullopt : std::optional<quint32>(found - 1);
}

QString History::addressOf(quint32 id) const
{
    if (id >= serverCount())
        return {};
    const quint32 start = id > 0 ? m_nameEnds[id - 1] : 0;
    return QString::fromUtf8(m_names.data() + start, m_nameEnds[id] - start);
}

void History::clear()
{
    for (quint32 id = 0; id < serverCount(); ++id)
        track(id) = Track();
    m_slabs.clear();
    m_carved = 0;
    m_free = NoChunk;
}

quint32 History::takeChunk()
{
    quint32 index = m_free;
    if (index != NoChunk) {
        m_free = chunk(index).next;
    } else {
        if (m_carved == m_slabs.size() * SlabChunks)
            m_slabs.push_back(std::make_unique_for_overwrite<Chunk[]>(SlabChunks));
        index = m_carved++;
    }
    Chunk& taken = chunk(index);
    taken.next = NoChunk;
    std::memset(taken.bits, 0, sizeof taken.bits);
    return index;
}

// Gives back the chain from `first` to `last`, both included.
void History::freeChunks(quint32 first, quint32 last)
{
    chunk(last).next = m_free;
    m_free = first;
}

void History::append(const QDateTime& stamp,
                     const QString& address,
                     std::optional<qint32> ping,
                     std::optional<qint32> players)
{
    const qint64 seconds = stamp.toSecsSinceEpoch();
    const bool answered = ping.has_value() && players.has_value();
    const quint16 nowPing = answered ? clamp16(*ping) : 0;
    const quint16 nowPlayers = answered ? clamp16(*players) : 0;
    Track& track = this->track(idOf(address));
    Cursor& last = track.last;
    if (track.count == 0) {
        // Written against itself: the first row of a track costs next to nothing.
        last = Cursor{static_cast<quint32>(seconds), 0, nowPing, nowPlayers, 0};
        track.base = last;
    }

    // The row goes on after the tail's last bit, or at the start of a new chunk.
    const bool roomInTail = track.tail != NoChunk && track.end < ChunkBits;
    quint8* at = roomInTail ? chunk(track.tail).bits + track.end / 8 : nullptr;
    const int shift = roomInTail ? static_cast<int>(track.end % 8) : 0;
    RowBits row(roomInTail ? *at : 0, shift);
    // Stamps are kept modulo 2^32, so any gap between two of them fits 32 bits.
    const auto gap = static_cast<qint32>(static_cast<quint32>(seconds) - last.stamp);
    const int parameter = riceParameter(last.scale);
    const quint32 pingChange = zigzag(qint32(nowPing) - qint32(last.ping));
    const qint32 playersChange = qint32(nowPlayers) - qint32(last.players);
    if (gap == last.gap && answered && playersChange == 0) {
        row.rice(pingChange + 1, parameter);
    } else {
        row.rice(0, parameter);
        if (gap == last.gap) {
            row.put(answered ? 1 : 0, 1);
            if (answered)
                row.put(0, 1);
        } else {
            row.put(3, 2);
            row.expGolomb(zigzag(gap), GapOrder);
            row.put(answered ? 1 : 0, 1);
            if (answered)
                row.put(playersChange != 0 ? 1 : 0, 1);
        }
        if (answered) {
            if (playersChange != 0)
                row.expGolomb(zigzag(playersChange) - 1, PlayersOrder);
            row.rice(pingChange, parameter);
        }
    }
    last.stamp = static_cast<quint32>(seconds);
    last.gap = gap;
    if (answered) {
        last.ping = nowPing;
        last.players = nowPlayers;
        last.scale = nextScale(last.scale, pingChange);
    }

    const auto bitCount = static_cast<quint32>(row.bitCount() - shift);
    const quint8* bytes = row.bytes();
    const int size = row.byteCount();
    const int inTail = roomInTail ? std::min(size, ChunkBytes - static_cast<int>(track.end / 8)) : 0;
    if (inTail > 0)
        std::memcpy(at, bytes, static_cast<size_t>(inTail));
    if (size > inTail) {
        const quint32 fresh = takeChunk();
        std::memcpy(chunk(fresh).bits, bytes + inTail, static_cast<size_t>(size - inTail));
        if (track.tail == NoChunk)
            track.first = fresh;
        else
            chunk(track.tail).next = fresh;
        track.tail = fresh;
        track.end = roomInTail ? track.end + bitCount - ChunkBits : bitCount;
    } else {
        track.end += bitCount;
    }
    ++track.count;

    m_cutoff = std::max(m_cutoff, seconds - KeepSeconds);
    trimTrack(track);
    if (m_cutoff - m_swept >= SweepSeconds)
        sweep();
}

void History::trimTrack(Track& track)
{
    if (track.count == 0)
        return;
    HistoryBits bits(*this, track);
    quint32 head = track.head;
    while (track.count > 0) {
        Cursor next = track.base;
        if (qint64(readRow(next, bits, 0).stamp) >= m_cutoff)
            break;
        track.base = next;
        head = bits.position();
        --track.count;
    }
    if (track.count == 0) {
        if (track.first != NoChunk)
            freeChunks(track.first, track.tail);
        track = Track();
        return;
    }
    // The chunks the head has passed go back; a kept row has bits, so the tail stays.
    if (head >= ChunkBits) {
        quint32 last = track.first;
        for (quint32 passed = ChunkBits; passed + ChunkBits <= head; passed += ChunkBits)
            last = chunk(last).next;
        const quint32 first = track.first;
        track.first = chunk(last).next;
        freeChunks(first, last);
        head %= ChunkBits;
    }
    track.head = head;
}

void History::sweep()
{
    m_swept = m_cutoff;
    for (quint32 id = 0; id < serverCount(); ++id)
        trimTrack(track(id));
}

template <typename Visit> void History::visitRows(quint32 id, Visit&& visit) const
{
    const Track& track = this->track(id);
    Cursor cursor = track.base;
    HistoryBits bits(*this, track);
    for (quint32 row = 0; row < track.count; ++row) {
        const Point point = readRow(cursor, bits, id);
        // Rows of a server with no newer row go at the next sweep; until then they are gone already.
        if (qint64(point.stamp) >= m_cutoff)
            visit(point);
    }
}

qint64 History::rowCount() const
{
    qint64 count = 0;
    for (quint32 id = 0; id < serverCount(); ++id) {
        const Track& track = this->track(id);
        // Only a track's first rows can be older than the cutoff.
        Cursor cursor = track.base;
        HistoryBits bits(*this, track);
        quint32 old = 0;
        while (old < track.count && qint64(readRow(cursor, bits, id).stamp) < m_cutoff)
            ++old;
        count += track.count - old;
    }
    return count;
}

std::vector<History::Point> History::points() const
{
    std::vector<Point> result;
    for (quint32 id = 0; id < serverCount(); ++id)
        visitRows(id, [&](const Point& point) { result.push_back(point); });
    std::stable_sort(result.begin(), result.end(), [](const Point& a, const Point& b) { return a.stamp < b.stamp; });
    return result;
}

std::vector<History::Point> History::pointsOf(const QString& address) const
{
    std::vector<Point> result;
    const auto id = findId(address);
    if (!id)
        return result;
    result.reserve(track(*id).count);
    visitRows(*id, [&](const Point& point) { result.push_back(point); });
    return result;
}

qint64 History::rowBytes() const
{
    return qint64(m_tracks.size()) * BlockTracks * qint64(sizeof(Track)) + qint64(m_carved) * qint64(sizeof(Chunk));
}

} // namespace trevisk
