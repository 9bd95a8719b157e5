#include "query/SettingsTable.h"

#include "core/PackedText.h"
#include "core/Routines.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trevisk {

namespace {

// A row starts with a number: odd, the row's number in the pool of whole rows, times two, plus one;
// even, its setting's reference times two, then the value packed as packed::putText writes it. The
// reference is 0 for a name written out in the row (after the number), else its number in the pool
// of names plus one.
using packed::putNumber;
using packed::putText;
using packed::putUtf8;
using packed::skipText;
using packed::takeNumber;
using packed::takeText;

// Bounded, as servers choose the names; a longer or later name is written out in its row.
constexpr size_t PoolLimit = 4096;
constexpr size_t PooledNameBytes = 64;
// Whole rows, so that a common one costs at most two bytes. Servers choose these too: a name whose
// values keep changing (a host name, a clock) may take only so many, and a row goes in only when it
// was seen lately, which the rows of a single server mostly are not among many.
constexpr size_t RowLimit = 8192;
constexpr quint16 RowsPerName = 256;
constexpr size_t SieveSlots = 1024;
constexpr size_t RememberedRows = 256;

struct ViewHash
{
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

using NumberMap = std::unordered_map<std::string, quint32, ViewHash, std::equal_to<>>;

// Shared by every thread: a table may be read where it was not made.
struct Pool
{
    std::mutex lock;
    NumberMap nameNumbers; // by UTF-8
    std::vector<QString> names;
    std::vector<quint16> rowsOfName;
    NumberMap rowNumbers; // by the name's number and the value's UTF-8
    std::vector<ServerSetting> rows;
};

Pool& sharedPool()
{
    static Pool shared;
    return shared;
}

qint64 lockedNameNumber(std::string_view utf8)
{
    Pool& pool = sharedPool();
    const std::lock_guard guard(pool.lock);
    if (const auto found = pool.nameNumbers.find(utf8); found != pool.nameNumbers.end())
        return found->second;
    if (utf8.size() > PooledNameBytes || pool.names.size() >= PoolLimit)
        return -1;
    const auto number = static_cast<quint32>(pool.names.size());
    pool.names.push_back(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    pool.rowsOfName.push_back(0);
    pool.nameNumbers.emplace(std::string(utf8), number);
    return number;
}

// The pool's number of a name given as UTF-8, added when there is room; -1 when there is none.
qint64 nameNumber(std::string_view utf8, size_t row)
{
    // The servers of a list mostly send the same names in the same order: the name last seen in a
    // row is tried first, without the lock. A number once given never changes.
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

qint64 lockedRowNumber(std::string_view key, quint32 name, QByteArrayView value, bool seenLately)
{
    Pool& pool = sharedPool();
    const std::lock_guard guard(pool.lock);
    if (const auto found = pool.rowNumbers.find(key); found != pool.rowNumbers.end())
        return found->second;
    if (!seenLately || pool.rows.size() >= RowLimit || pool.rowsOfName[name] >= RowsPerName)
        return -1;
    ++pool.rowsOfName[name];
    const auto number = static_cast<quint32>(pool.rows.size());
    pool.rows.push_back({pool.names[name], QString::fromUtf8(value)});
    pool.rowNumbers.emplace(std::string(key), number);
    return number;
}

// The pool's number of a whole row, its name pooled and its value UTF-8; -1 when it is not pooled.
qint64 rowNumber(quint32 name, QByteArrayView value, size_t row)
{
    if (value.size() > SettingsTable::PooledValueBytes)
        return -1;
    thread_local std::string key;
    key.assign(reinterpret_cast<const char*>(&name), sizeof name);
    key.append(value.data(), size_t(value.size()));
    // As with the names, the row last seen in this place first; most rows of a list are common.
    thread_local std::vector<std::pair<std::string, qint64>> lastSeen;
    if (row < lastSeen.size() && lastSeen[row].first == key)
        return lastSeen[row].second;
    // A row seen lately, whoever sent it, hashes to the slot it left; one server's own rows are
    // mostly pushed out by the others' before it answers again.
    thread_local std::array<size_t, SieveSlots> sieve{};
    const size_t hash = ViewHash{}(key);
    size_t& slot = sieve[hash % SieveSlots];
    const bool seenLately = slot == hash;
    slot = hash;
    const qint64 number = lockedRowNumber(key, name, value, seenLately);
    if (number >= 0 && row < RememberedRows) {
        if (row >= lastSeen.size())
            lastSeen.resize(row + 1);
        lastSeen[row] = {key, number};
    }
    return number;
}

QString pooledName(quint64 number)
{
    Pool& pool = sharedPool();
    const std::lock_guard guard(pool.lock);
    return number < pool.names.size() ? pool.names[number] : QString();
}

ServerSetting pooledRow(quint64 number)
{
    Pool& pool = sharedPool();
    const std::lock_guard guard(pool.lock);
    return number < pool.rows.size() ? pool.rows[number] : ServerSetting();
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view viewOf(QByteArrayView bytes)
{
    return {bytes.data(), static_cast<size_t>(bytes.size())};
}

// The setting's reference, then the name when it is not pooled.
void putName(QByteArray& rows, std::string_view utf8, qint64 number)
{
    putNumber(rows, quint64(number + 1) << 1);
    if (number < 0)
        putUtf8(rows, QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

// A row whose name and value are UTF-8: pooled whole where it can be, else written out.
void putRow(QByteArray& rows, std::string_view name, QByteArrayView value, size_t row)
{
    const qint64 number = nameNumber(name, row);
    if (number >= 0) {
        if (const qint64 whole = rowNumber(quint32(number), value, row); whole >= 0) {
            putNumber(rows, (quint64(whole) << 1) | 1);
            return;
        }
    }
    putName(rows, name, number);
    putUtf8(rows, value);
}

ServerSetting takeRow(const QByteArray& rows, qsizetype& at)
{
    const quint64 lead = takeNumber(rows, at);
    if (lead & 1)
        return pooledRow(lead >> 1);
    const quint64 reference = lead >> 1;
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
    const quint64 lead = takeNumber(*m_rows, m_offset);
    if (lead & 1)
        return *this;
    if (lead == 0)
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
    if (row.setting.isValidUtf16() && row.value.isValidUtf16()) {
        const QByteArray setting = row.setting.toUtf8();
        const QByteArray value = row.value.toUtf8();
        putRow(m_rows, viewOf(setting), value, m_count);
    } else if (row.setting.isValidUtf16()) {
        const QByteArray setting = row.setting.toUtf8();
        putName(m_rows, viewOf(setting), nameNumber(viewOf(setting), m_count));
        putText(m_rows, row.value);
    } else {
        putNumber(m_rows, 0);
        putText(m_rows, row.setting);
        putText(m_rows, row.value);
    }
    ++m_count;
}

void SettingsTable::appendBytes(QByteArrayView setting, QByteArrayView value)
{
    // Plain ASCII, as most of what servers send, is its own UTF-8 and needs no decoding.
    const bool asciiName = isAscii(setting);
    const bool asciiValue = isAscii(value);
    const QByteArray name = asciiName ? QByteArray() : decodeText(setting.toByteArray()).toUtf8();
    const QByteArray text = asciiValue ? QByteArray() : decodeText(value.toByteArray()).toUtf8();
    putRow(m_rows, asciiName ? viewOf(setting) : viewOf(name), asciiValue ? value : QByteArrayView(text), m_count);
    ++m_count;
}

bool SettingsTable::operator==(const SettingsTable& other) const
{
    // The same rows may be written two ways: a name in the pool or written out.
    return m_count == other.m_count
           && (m_rows == other.m_rows || std::equal(begin(), end(), other.begin(), other.end()));
}

} // namespace trevisk
