#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <iterator>
#include <utility>

namespace trevisk {

// One server setting as the answer carried it, in answer order.
struct ServerSetting
{
    QString setting;
    QString value;

    bool operator==(const ServerSetting&) const = default;
};

// A server's settings in answer order, kept small: every monitored server holds one, and a vector
// of text pairs took ten times the room. The rows live in one byte array; a setting name is a
// number into a pool that every table shares (servers of a list mostly report the same names),
// values are UTF-8, and a whole row common to many servers is a number into a second shared pool.
// Rows are decoded when read, which only the windows, the web pages and the command line do.
// Never changed in place except by appending.
class SettingsTable
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = ServerSetting;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = ServerSetting;

        const_iterator() = default;
        ServerSetting operator*() const;
        const_iterator& operator++();
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return m_offset == other.m_offset; }

    private:
        friend class SettingsTable;
        const_iterator(const QByteArray* rows, qsizetype offset)
            : m_rows(rows)
            , m_offset(offset)
        {}
        const QByteArray* m_rows = nullptr;
        qsizetype m_offset = 0;
    };
    using iterator = const_iterator;
    using value_type = ServerSetting;
    using size_type = size_t;
    // The longest value a row may have to be shared whole (a version string fits).
    static constexpr qsizetype PooledValueBytes = 96;

    SettingsTable() = default;
    SettingsTable(std::initializer_list<ServerSetting> rows);
    SettingsTable(const SettingsTable&) = default;
    SettingsTable& operator=(const SettingsTable&) = default;
    // A table moved from is empty, as a vector is: the count goes with the rows.
    SettingsTable(SettingsTable&& other) noexcept
        : m_rows(std::exchange(other.m_rows, QByteArray()))
        , m_count(std::exchange(other.m_count, 0))
    {}
    SettingsTable& operator=(SettingsTable&& other) noexcept
    {
        m_rows = std::exchange(other.m_rows, QByteArray());
        m_count = std::exchange(other.m_count, 0);
        return *this;
    }
    ~SettingsTable() = default;

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const_iterator begin() const { return {&m_rows, 0}; }
    const_iterator end() const { return {&m_rows, m_rows.size()}; }
    // A row by its position, read from the start; empty past the end.
    ServerSetting at(size_t index) const;
    ServerSetting operator[](size_t index) const { return at(index); }

    void push_back(const ServerSetting& row);
    // A row from an answer's bytes, each read as decodeText reads it.
    void appendBytes(QByteArrayView setting, QByteArrayView value);
    // Room for this many more bytes of rows, about the size of the answer they come from.
    void reserveBytes(qsizetype bytes) { m_rows.reserve(m_rows.size() + bytes); }
    // Gives back what reserveBytes took beyond the rows: for a table kept long.
    void squeeze() { m_rows.squeeze(); }
    // What the rows take, for measuring.
    qsizetype byteSize() const { return m_rows.size(); }

    bool operator==(const SettingsTable& other) const;

private:
    QByteArray m_rows;
    size_t m_count = 0;
};

} // namespace trevisk
