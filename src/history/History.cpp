#include "history/History.h"

#include <algorithm>

namespace trevisk {

namespace {

qint16 clamp16(qint32 value)
{
    return static_cast<qint16>(std::clamp<qint32>(value, 0, 32767));
}

// A row is a tag byte and what the tag says follows, each as a zigzag varint:
//   bit 0     the gap to the row before differs from the gap before it: the gap follows;
//   bit 1     no answer: neither ping nor players (bits 2-7 are 0);
//   bits 2-3  players: 0 same, 1 one more, 2 one fewer, 3 the change follows;
//   bits 4-7  ping: the change zigzagged when it is 0..14, 15: the change follows.
constexpr quint8 GapFollows = 0x01;
constexpr quint8 NoAnswer = 0x02;
constexpr int PlayersShift = 2;
constexpr int PingShift = 4;
constexpr quint8 PlayersFollow = 3;
constexpr quint8 PingFollows = 15;
constexpr size_t MostRowBytes = 1 + 3 * 10;
// A kept track sheds its dropped rows' bytes once they are this many and an eighth of it.
constexpr quint32 CompactBytes = 64;
// Servers that no longer get rows drop their old ones on a sweep this often (seconds of stamps).
constexpr qint64 SweepSeconds = qint64{10} * 60;

quint64 zigzag(qint64 value)
{
    return (static_cast<quint64>(value) << 1) ^ static_cast<quint64>(value >> 63);
}

qint64 unzigzag(quint64 value)
{
    return static_cast<qint64>(value >> 1) ^ -static_cast<qint64>(value & 1);
}

void putVarint(std::vector<quint8>& bytes, quint64 value)
{
    while (value >= 0x80) {
        bytes.push_back(static_cast<quint8>(value | 0x80));
        value >>= 7;
    }
    bytes.push_back(static_cast<quint8>(value));
}

quint64 getVarint(const quint8*& at)
{
    quint64 value = 0;
    for (int shift = 0;; shift += 7) {
        const quint8 byte = *at++;
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80) || shift >= 63)
            return value;
    }
}

} // namespace

// Reads the row at `at` against `cursor`, moves both past it and returns it.
History::Point History::readRow(Cursor& cursor, const quint8*& at, quint32 server)
{
    const quint8 tag = *at++;
    if (tag & GapFollows)
        cursor.gap = unzigzag(getVarint(at));
    cursor.stamp = static_cast<quint32>(qint64(cursor.stamp) + cursor.gap);
    if (tag & NoAnswer)
        return {cursor.stamp, server, -1, -1};
    switch ((tag >> PlayersShift) & 3) {
    case 1:
        ++cursor.players;
        break;
    case 2:
        --cursor.players;
        break;
    case PlayersFollow:
        cursor.players = static_cast<qint16>(cursor.players + unzigzag(getVarint(at)));
        break;
    default:
        break;
    }
    const quint8 ping = tag >> PingShift;
    const qint64 pingChange = ping == PingFollows ? unzigzag(getVarint(at)) : unzigzag(ping);
    cursor.ping = static_cast<qint16>(cursor.ping + pingChange);
    return {cursor.stamp, server, cursor.ping, cursor.players};
}

quint32 History::idOf(const QString& address)
{
    const auto it = m_ids.constFind(address);
    if (it != m_ids.constEnd())
        return *it;
    const auto id = static_cast<quint32>(m_addresses.size());
    m_addresses.push_back(address);
    m_ids.insert(address, id);
    m_tracks.emplace_back();
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

void History::clear()
{
    for (Track& track : m_tracks)
        track = Track();
}

void History::append(const QDateTime& stamp,
                     const QString& address,
                     std::optional<qint32> ping,
                     std::optional<qint32> players)
{
    const qint64 seconds = stamp.toSecsSinceEpoch();
    const bool answered = ping.has_value() && players.has_value();
    Track& track = m_tracks[idOf(address)];
    Cursor& last = track.last;
    if (track.count == 0) {
        // Written against itself: the first row of a track needs no stamp.
        track.bytes.clear();
        track.head = 0;
        last = Cursor{static_cast<quint32>(seconds), 0, 0, 0};
        track.base = last;
    }
    std::vector<quint8>& bytes = track.bytes;
    if (bytes.size() + MostRowBytes > bytes.capacity())
        bytes.reserve(bytes.size() + bytes.size() / 8 + 2 * MostRowBytes);

    const size_t tagAt = bytes.size();
    bytes.push_back(0);
    quint8 tag = 0;
    const qint64 gap = seconds - qint64(last.stamp);
    if (gap != last.gap) {
        tag |= GapFollows;
        putVarint(bytes, zigzag(gap));
        last.gap = gap;
    }
    last.stamp = static_cast<quint32>(seconds);
    if (!answered) {
        tag |= NoAnswer;
    } else {
        const qint16 nowPlayers = clamp16(*players);
        const qint64 playersChange = qint64(nowPlayers) - last.players;
        if (playersChange == 1) {
            tag |= 1 << PlayersShift;
        } else if (playersChange == -1) {
            tag |= 2 << PlayersShift;
        } else if (playersChange != 0) {
            tag |= PlayersFollow << PlayersShift;
            putVarint(bytes, zigzag(playersChange));
        }
        last.players = nowPlayers;
        const qint16 nowPing = clamp16(*ping);
        const quint64 pingChange = zigzag(qint64(nowPing) - last.ping);
        if (pingChange < PingFollows) {
            tag |= static_cast<quint8>(pingChange << PingShift);
        } else {
            tag |= PingFollows << PingShift;
            putVarint(bytes, pingChange);
        }
        last.ping = nowPing;
    }
    bytes[tagAt] = tag;
    ++track.count;

    m_cutoff = std::max(m_cutoff, seconds - KeepSeconds);
    trimTrack(track);
    if (m_cutoff - m_swept >= SweepSeconds)
        sweep();
}

void History::trimTrack(Track& track) const
{
    while (track.count > 0) {
        Cursor next = track.base;
        const quint8* at = track.bytes.data() + track.head;
        if (qint64(readRow(next, at, 0).stamp) >= m_cutoff)
            break;
        track.base = next;
        track.head = static_cast<quint32>(at - track.bytes.data());
        --track.count;
    }
    if (track.count == 0) {
        track.bytes = {};
        track.head = 0;
    } else if (track.head >= CompactBytes && track.head >= track.bytes.size() / 8) {
        track.bytes.erase(track.bytes.begin(), track.bytes.begin() + track.head);
        track.head = 0;
    }
}

void History::sweep()
{
    m_swept = m_cutoff;
    for (Track& track : m_tracks)
        trimTrack(track);
}

template <typename Visit> void History::visitRows(quint32 id, Visit&& visit) const
{
    const Track& track = m_tracks[id];
    Cursor cursor = track.base;
    const quint8* at = track.bytes.data() + track.head;
    for (quint32 row = 0; row < track.count; ++row) {
        const Point point = readRow(cursor, at, id);
        // Rows of a server with no newer row go at the next sweep; until then they are gone already.
        if (qint64(point.stamp) >= m_cutoff)
            visit(point);
    }
}

qint64 History::rowCount() const
{
    qint64 count = 0;
    for (quint32 id = 0; id < m_tracks.size(); ++id) {
        const Track& track = m_tracks[id];
        // Only a track's first rows can be older than the cutoff.
        Cursor cursor = track.base;
        const quint8* at = track.bytes.data() + track.head;
        quint32 old = 0;
        while (old < track.count && qint64(readRow(cursor, at, id).stamp) < m_cutoff)
            ++old;
        count += track.count - old;
    }
    return count;
}

std::vector<History::Point> History::points() const
{
    std::vector<Point> result;
    for (quint32 id = 0; id < m_tracks.size(); ++id)
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
    result.reserve(m_tracks[*id].count);
    visitRows(*id, [&](const Point& point) { result.push_back(point); });
    return result;
}

qint64 History::rowBytes() const
{
    qint64 bytes = qint64(m_tracks.capacity()) * qint64(sizeof(Track));
    for (const Track& track : m_tracks)
        bytes += qint64(track.bytes.capacity());
    return bytes;
}

} // namespace trevisk
