#pragma once

#include "players/Player.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <iterator>
#include <utility>

namespace trevisk {

// A server's players in answer order, kept small: every monitored server holds one, and a vector
// of five texts a player took six times the room. The rows live in one byte array of UTF-8 texts;
// rows are decoded when read. Never changed in place except by appending.
class PlayerTable
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Player;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Player;

        const_iterator() = default;
        Player operator*() const;
        // Single fields without decoding the row, for the loops every answer goes through.
        QString name() const;
        QString score() const;
        // The score's length as kept, in bytes: never less than its length in characters.
        qsizetype scoreBytes() const;
        const_iterator& operator++();
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return m_offset == other.m_offset; }

    private:
        friend class PlayerTable;
        const_iterator(const QByteArray* rows, qsizetype offset)
            : m_rows(rows)
            , m_offset(offset)
        {}
        const QByteArray* m_rows = nullptr;
        qsizetype m_offset = 0;
    };
    using iterator = const_iterator;
    using value_type = Player;
    using size_type = size_t;

    PlayerTable() = default;
    PlayerTable(std::initializer_list<Player> rows);
    PlayerTable(const PlayerTable&) = default;
    PlayerTable& operator=(const PlayerTable&) = default;
    // A table moved from is empty, as a vector is: the count goes with the rows.
    PlayerTable(PlayerTable&& other) noexcept
        : m_rows(std::exchange(other.m_rows, QByteArray()))
        , m_count(std::exchange(other.m_count, 0))
    {}
    PlayerTable& operator=(PlayerTable&& other) noexcept
    {
        m_rows = std::exchange(other.m_rows, QByteArray());
        m_count = std::exchange(other.m_count, 0);
        return *this;
    }
    ~PlayerTable() = default;

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const_iterator begin() const { return {&m_rows, 0}; }
    const_iterator end() const { return {&m_rows, m_rows.size()}; }
    // A row by its position, read from the start; empty past the end.
    Player at(size_t index) const;
    Player operator[](size_t index) const { return at(index); }
    // Every row's name, in row order.
    QStringList names() const;

    void push_back(const Player& row);
    // A row from an answer's bytes, each text read as decodeText reads it, without a QString on
    // the way; the same row as push_back of the decoded texts.
    void appendBytes(QByteArrayView name,
                     QByteArrayView score,
                     QByteArrayView ping,
                     bool isFriend,
                     QByteArrayView coloured = {},
                     QByteArrayView time = {});
    // Room for this many more bytes of rows, about the size of the answer they come from.
    void reserveBytes(qsizetype bytes) { m_rows.reserve(m_rows.size() + bytes); }
    // Gives back what reserveBytes took beyond the rows: for a table kept long.
    void squeeze() { m_rows.squeeze(); }

    // Every row is written one way only, so equal tables have equal bytes.
    bool operator==(const PlayerTable& other) const { return m_count == other.m_count && m_rows == other.m_rows; }

private:
    QByteArray m_rows;
    size_t m_count = 0;
};

} // namespace trevisk
