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

QStringList PlayerTable::names() const
{
    QStringList names;
    names.reserve(qsizetype(m_count));
    for (auto it = begin(); it != end(); ++it)
        names.append(it.name());
    return names;
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
    QByteArrayView texts[] = {name, score, ping, coloured, time};
    const int count = 3 + ((flags & HasColoured) ? 1 : 0) + ((flags & HasTime) ? 1 : 0);
    if (!(flags & HasColoured))
        texts[3] = time;
    // Plain ASCII, as most of what servers send, is its own UTF-8; the rest is decoded as
    // decodeText decodes it, which never leaves a lone surrogate.
    QByteArray decoded[std::size(texts)];
    qsizetype bytes = 1;
    for (int i = 0; i < count; ++i) {
        if (!std::all_of(
                texts[i].begin(), texts[i].end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            decoded[i] = decodeText(texts[i].toByteArray()).toUtf8();
            texts[i] = decoded[i];
        }
        bytes += packed::numberBytes(quint64(texts[i].size()) << 1) + texts[i].size();
    }
    // One resize for the row: every player of every answer passes here.
    const qsizetype start = m_rows.size();
    m_rows.resize(start + bytes);
    char* out = m_rows.data() + start;
    *out++ = flags;
    for (int i = 0; i < count; ++i) {
        out = packed::writeNumber(out, quint64(texts[i].size()) << 1);
        if (!texts[i].isEmpty())
            std::memcpy(out, texts[i].data(), size_t(texts[i].size()));
        out += texts[i].size();
    }
    ++m_count;
}

} // namespace trevisk
