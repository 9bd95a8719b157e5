#include "query/SettingsTable.h"

#include "core/PackedText.h"
#include "core/Routines.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trevisk {

namespace {

// A row is the setting's reference, then its value, packed as packed::putText writes them. The
// reference is 0 for a name written out in the row, else its number in the pool plus one.
using packed::putNumber;
using packed::putText;
using packed::putUtf8;
using packed::skipText;
using packed::takeNumber;
using packed::takeText;

// Bounded, as servers choose the names; a longer or later name is written out in its row.
constexpr size_t PoolLimit = 4096;
constexpr size_t PooledNameBytes = 64;

struct ViewHash
{
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Shared by every thread: a table may be read where it was not made.
struct NamePool
{
    std::mutex lock;
    std::unordered_map<std::string, quint32, ViewHash, std::equal_to<>> numbers; // by UTF-8
    std::vector<QString> names;
};

NamePool& namePool()
{
    static NamePool pool;
    return pool;
}

qint64 lockedNameNumber(std::string_view utf8)
{
    NamePool& pool = namePool();
    const std::lock_guard guard(pool.lock);
    if (const auto found = pool.numbers.find(utf8); found != pool.numbers.end())
        return found->second;
    if (utf8.size() > PooledNameBytes || pool.names.size() >= PoolLimit)
        return -1;
    const auto number = static_cast<quint32>(pool.names.size());
    pool.names.push_back(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    pool.numbers.emplace(std::string(utf8), number);
    return number;
}

// The pool's number of a name given as UTF-8, added when there is room; -1 when there is none.
qint64 nameNumber(std::string_view utf8, size_t row)
{
    // The servers of a list mostly send the same names in the same order: the name last seen in a
    // row is tried first, without the lock. A number once given never changes.
    constexpr size_t RememberedRows = 256;
    thread_local std::vector<std::pair<std::string, qint64>> lastSeen;
    if (row < lastSeen.size() && lastSeen[row].second >= 0 && lastSeen[row].first == utf8)
        return lastSeen[row].second;
    const qint64 number = lockedNameNumber(utf8);
    if (number >= 0 && row < RememberedRows) {
        if (row >= lastSeen.size())
            lastSeen.resize(row + 1, {std::string(), -1});
        lastSeen[row] = {std::string(utf8), number};
    }
    return number;
}

QString pooledName(quint64 number)
{
    NamePool& pool = namePool();
    const std::lock_guard guard(pool.lock);
    return number < pool.names.size() ? pool.names[number] : QString();
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view viewOf(QByteArrayView bytes)
{
    return {bytes.data(), static_cast<size_t>(bytes.size())};
}

// The setting's name: its number in the pool, else written out.
void putName(QByteArray& rows, std::string_view utf8, size_t row)
{
    const qint64 number = nameNumber(utf8, row);
    putNumber(rows, quint64(number + 1));
    if (number < 0)
        putUtf8(rows, QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

ServerSetting takeRow(const QByteArray& rows, qsizetype& at)
{
    const quint64 reference = takeNumber(rows, at);
    ServerSetting row;
    row.setting = reference == 0 ? takeText(rows, at) : pooledName(reference - 1);
    row.value = takeText(rows, at);
    return row;
}

} // namespace

ServerSetting SettingsTable::const_iterator::operator*() const
{
    qsizetype at = m_offset;
    return takeRow(*m_rows, at);
}

SettingsTable::const_iterator& SettingsTable::const_iterator::operator++()
{
    if (takeNumber(*m_rows, m_offset) == 0)
        skipText(*m_rows, m_offset);
    skipText(*m_rows, m_offset);
    return *this;
}

SettingsTable::SettingsTable(std::initializer_list<ServerSetting> rows)
{
    for (const ServerSetting& row : rows)
        push_back(row);
}

ServerSetting SettingsTable::at(size_t index) const
{
    if (index >= m_count)
        return {};
    auto it = begin();
    for (size_t i = 0; i < index; ++i)
        ++it;
    return *it;
}

void SettingsTable::push_back(const ServerSetting& row)
{
    if (row.setting.isValidUtf16()) {
        const QByteArray utf8 = row.setting.toUtf8();
        putName(m_rows, viewOf(utf8), m_count);
    } else {
        putNumber(m_rows, 0);
        putText(m_rows, row.setting);
    }
    putText(m_rows, row.value);
    ++m_count;
}

void SettingsTable::appendBytes(QByteArrayView setting, QByteArrayView value)
{
    // Plain ASCII, as most of what servers send, is its own UTF-8 and needs no decoding.
    if (isAscii(setting))
        putName(m_rows, viewOf(setting), m_count);
    else
        putName(m_rows, viewOf(decodeText(setting.toByteArray()).toUtf8()), m_count);
    if (isAscii(value))
        putUtf8(m_rows, value);
    else
        putText(m_rows, decodeText(value.toByteArray()));
    ++m_count;
}

bool SettingsTable::operator==(const SettingsTable& other) const
{
    // The same rows may be written two ways: a name in the pool or written out.
    return m_count == other.m_count
           && (m_rows == other.m_rows || std::equal(begin(), end(), other.begin(), other.end()));
}

} // namespace trevisk
