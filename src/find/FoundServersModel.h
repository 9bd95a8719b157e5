#pragma once

#include "find/ServerFinder.h"

#include <QAbstractTableModel>

#include <vector>

namespace trevisk {

// The servers of a search that are done and pass its filters, in the order they came; a row
// is added as each server's answer (or time-out) comes in.
class FoundServersModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        AddressColumn,
        NameColumn,
        MapColumn,
        PlayersColumn,
        PingColumn,
        StateColumn,
        ColumnCount
    };
    // The value a column sorts by: numbers as numbers.
    static constexpr int SortRole = Qt::UserRole + 1;
    // "Dead" for a server that did not answer, "Friend" for one a friend plays on, as the grid's rows.
    static constexpr int StyleRole = Qt::UserRole + 2;

    explicit FoundServersModel(const ServerFinder& finder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const ServerFinder::Found& server(int row) const;
    // The finder was started again: no row is left.
    void clear();
    void serverDone(int index);

private:
    const ServerFinder& m_finder;
    std::vector<int> m_rows; // indexes into the finder's servers
};

} // namespace trevisk
