#pragma once

#include "players/PlayerTable.h"
#include "query/AnswerUpdate.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace trevisk {

// A grid of the details window (players or settings) with its own sort rule: a header click
// sorts by that column descending while the flag is on and ascending while it is off, then
// turns the flag over, whatever column was clicked before; new rows keep the current order.
class DetailsTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString caption;
        bool numeric = false; // sorted and aligned as a number; an empty cell sorts first
    };
    struct Row
    {
        QStringList cells;
        bool highlighted = false; // a friend's row
        QString coloured;         // the name with its colour codes, empty when it has none
    };
    static constexpr int HighlightRole = Qt::UserRole + 1;

    explicit DetailsTableModel(std::vector<Column> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The rows of a player table: ID (position from 1), Name, Ping, Score; "N/A" shows empty.
    static std::vector<Row> playerRows(const PlayerTable& players);
    static std::vector<Row> settingRows(const SettingsTable& settings);

    void setRows(std::vector<Row> rows);
    const std::vector<Row>& rows() const { return m_rows; }
    void headerClicked(int column);
    int sortColumn() const { return m_sortColumn; }
    bool sortFlag() const { return m_sortFlag; }

private:
    void sortRows(bool descending);

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_sortColumn = 0;
    bool m_sortFlag = true;
};

} // namespace trevisk
