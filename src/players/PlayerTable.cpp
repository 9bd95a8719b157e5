#include "players/PlayerTable.h"

#include "core/PackedText.h"
#include "core/Routines.h"

namespace trevisk {

namespace {

using packed::skipText;
using packed::takeText;

// A row is a byte of flags, then name, score and ping, then the coloured name and the time where
// the flags say they are there; texts as packed::putText writes them.
enum Flag : char
{
    IsFriend = 1,
    HasColoured = 2,
    HasTime = 4,
};

char flagsOf(bool isFriend, bool hasColoured, bool hasTime)
{
    return char((isFriend ? IsFriend : 0) | (hasColoured ? HasColoured : 0) | (hasTime ? HasTime : 0));
}

void putBytes(QByteArray& rows, QByteArrayView bytes)
{
    // Plain ASCII, as most of what servers send, is its own UTF-8 and needs no decoding.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        packed::putUtf8(rows, bytes);
    else
        packed::putText(rows, decodeText(bytes.toByteArray()));
}

int flagsAt(const QByteArray& rows, qsizetype at)
{
    return at < rows.size() ? rows.at(at) : 0;
}

} // namespace

Player PlayerTable::const_iterator::operator*() const
{
    qsizetype at = m_offset;
    const int flags = flagsAt(*m_rows, at++);
    Player row;
    row.name = takeText(*m_rows, at);
    row.score = takeText(*m_rows, at);
    row.ping = takeText(*m_rows, at);
    row.isFriend = flags & IsFriend;
    if (flags & HasColoured)
        row.coloured = takeText(*m_rows, at);
    if (flags & HasTime)
        row.time = takeText(*m_rows, at);
    return row;
}

QString PlayerTable::const_iterator::name() const
{
    qsizetype at = m_offset + 1;
    return takeText(*m_rows, at);
}

QString PlayerTable::const_iterator::score() const
{
    qsizetype at = m_offset + 1;
    skipText(*m_rows, at);
    return takeText(*m_rows, at);
}

qsizetype PlayerTable::const_iterator::scoreBytes() const
{
    qsizetype at = m_offset + 1;
    skipText(*m_rows, at);
    return static_cast<qsizetype>(packed::takeNumber(*m_rows, at) >> 1);
}

PlayerTable::const_iterator& PlayerTable::const_iterator::operator++()
{
    const int flags = flagsAt(*m_rows, m_offset++);
    const int texts = 3 + bool(flags & HasColoured) + bool(flags & HasTime);
    for (int i = 0; i < texts; ++i)
        skipText(*m_rows, m_offset);
    // Never past the end, or the loop would not meet end().
    m_offset = std::min(m_offset, m_rows->size());
    return *this;
}

PlayerTable::PlayerTable(std::initializer_list<Player> rows)
{
    for (const Player& row : rows)
        push_back(row);
}

Player PlayerTable::at(size_t index) const
{
    if (index >= m_count)
        return {};
    auto it = begin();
    for (size_t i = 0; i < index; ++i)
        ++it;
    return *it;
}

void PlayerTable::push_back(const Player& row)
{
    const char flags = flagsOf(row.isFriend, !row.coloured.isEmpty(), !row.time.isEmpty());
    m_rows.append(flags);
    packed::putText(m_rows, row.name);
    packed::putText(m_rows, row.score);
    packed::putText(m_rows, row.ping);
    if (flags & HasColoured)
        packed::putText(m_rows, row.coloured);
    if (flags & HasTime)
        packed::putText(m_rows, row.time);
    ++m_count;
}

void PlayerTable::appendBytes(QByteArrayView name,
                              QByteArrayView score,
                              QByteArrayView ping,
                              bool isFriend,
                              QByteArrayView coloured,
                              QByteArrayView time)
{
    // Bytes that decode to an empty text are empty: the flags agree with push_back's.
    const char flags = flagsOf(isFriend, !coloured.isEmpty(), !time.isEmpty());
    m_rows.append(flags);
    putBytes(m_rows, name);
    putBytes(m_rows, score);
    putBytes(m_rows, ping);
    if (flags & HasColoured)
        putBytes(m_rows, coloured);
    if (flags & HasTime)
        putBytes(m_rows, time);
    ++m_count;
}

} // namespace trevisk
