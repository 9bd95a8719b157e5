#include "query/SettingsTable.h"

#include "core/Routines.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trevisk {

namespace {

// A row is the setting's reference, then its value. The reference is 0 for a name written out in
// the row, else its number in the pool plus one. A text is its length in bytes, doubled, plus one
// when it is UTF-16 (a text UTF-8 cannot carry: a lone surrogate), then its bytes. Numbers are
// written seven bits a byte, lowest first, so that short texts and the first names take one byte.

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

void putNumber(QByteArray& rows, quint64 value)
{
    while (value >= 0x80) {
        rows.append(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    rows.append(static_cast<char>(value));
}

quint64 takeNumber(const QByteArray& rows, qsizetype& at)
{
    quint64 value = 0;
    for (int shift = 0; at < rows.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(rows.at(at++));
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    return value;
}

void putUtf8(QByteArray& rows, QByteArrayView utf8)
{
    putNumber(rows, quint64(utf8.size()) << 1);
    rows.append(utf8);
}

void putText(QByteArray& rows, const QString& text)
{
    if (text.isValidUtf16()) {
        putUtf8(rows, text.toUtf8());
        return;
    }
    const qsizetype bytes = text.size() * qsizetype(sizeof(QChar));
    putNumber(rows, (quint64(bytes) << 1) | 1);
    rows.append(reinterpret_cast<const char*>(text.constData()), bytes);
}

QString takeText(const QByteArray& rows, qsizetype& at)
{
    const quint64 header = takeNumber(rows, at);
    const auto bytes = static_cast<qsizetype>(std::min<quint64>(header >> 1, quint64(rows.size() - at)));
    const char* data = rows.constData() + at;
    at += bytes;
    if (!(header & 1))
        return QString::fromUtf8(data, bytes);
    QString text(bytes / qsizetype(sizeof(QChar)), Qt::Uninitialized);
    std::memcpy(text.data(), data, size_t(text.size()) * sizeof(QChar));
    return text;
}

void skipText(const QByteArray& rows, qsizetype& at)
{
    at += static_cast<qsizetype>(std::min<quint64>(takeNumber(rows, at) >> 1, quint64(rows.size() - at)));
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
