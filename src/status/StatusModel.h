#pragma once

#include "status/StatusRow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QLocale>

#include <functional>
#include <vector>

namespace trevisk {

// The grid's view of every listed server, in list order, found by address in constant time.
class StatusModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        GameColumn,
        AddressColumn,
        AnsweredAtColumn,
        NameColumn,
        PingColumn,
        LastRefreshColumn,
        ManualRefreshColumn,
        PlayersColumn,
        FriendsColumn,
        MapColumn,
        MemoColumn,
        StateColumn, // last: the stored column layouts number the others
        ColumnCount
    };
    // The row's style for the grid: "ManRef", "Dead", "Friend" or empty.
    static constexpr int StyleRole = Qt::UserRole + 1;

    explicit StatusModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const std::vector<StatusRow>& rows() const { return m_rows; }
    int indexOf(const QString& address) const;
    const StatusRow* find(const QString& address) const;

    void reset(std::vector<StatusRow> rows);
    void append(StatusRow row);
    void remove(const QString& address);
    // Changes one row in place and announces it; the row may change its address.
    void update(const QString& address, const std::function<void(StatusRow&)>& change);
    void updateAll(const std::function<void(StatusRow&)>& change);

    static QString style(const StatusRow& row);
    // The AR column's text: the system's short date with the long time, seconds included.
    static QString answeredAtText(const QDateTime& stamp, const QLocale& locale = QLocale::system());

    // A click on a column header: sorts by that column, ascending when the direction flag is
    // off and descending when it is on, then toggles the flag, which carries over between
    // columns. "Players" sorts by players, then maximum. Unset values come first ascending and
    // last descending; rows that compare equal keep their order.
    void headerClicked(int column);
    bool sortDescending() const { return m_sortDescending; }

private:
    void reindex();

    std::vector<StatusRow> m_rows;
    QHash<QString, int> m_index;
    bool m_sortDescending = false;
};

} // namespace trevisk
