#include "tray/DetailsTableModel.h"

#include "core/Routines.h"
#include "players/ColourCodes.h"

#include <algorithm>
#include <optional>

namespace trevisk {

DetailsTableModel::DetailsTableModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
{}

int DetailsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DetailsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DetailsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Names and settings come from the server: one line each, whatever they hold.
        return visibleText(row.cells.value(index.column()));
    case HighlightRole:
        return row.highlighted;
    case ColouredTextRole:
        return index.column() == 1 && !row.coloured.isEmpty() ? QVariant(visibleText(row.coloured)) : QVariant();
    case Qt::TextAlignmentRole:
        return m_columns[size_t(index.column())].numeric ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                                         : QVariant();
    default:
        return {};
    }
}

QVariant DetailsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[size_t(section)].caption;
    if (role == Qt::TextAlignmentRole && m_columns[size_t(section)].numeric)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

std::vector<DetailsTableModel::Row> DetailsTableModel::playerRows(const PlayerTable& players)
{
    const auto value = [](const QString& text) { return text == QLatin1String("N/A") ? QString() : text; };
    std::vector<Row> rows;
    rows.reserve(players.size());
    int id = 0;
    for (const Player& player : players)
        rows.push_back({{QString::number(++id), player.name, value(player.ping), value(player.score), player.time},
                        player.isFriend,
                        player.coloured});
    return rows;
}

std::vector<DetailsTableModel::Row> DetailsTableModel::settingRows(const SettingsTable& settings)
{
    std::vector<Row> rows;
    rows.reserve(settings.size());
    for (const ServerSetting& setting : settings)
        rows.push_back({{setting.setting, setting.value}, false, {}});
    return rows;
}

void DetailsTableModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    // The order of the last click: descending was clicked while the flag was on, so it is off now.
    sortRows(!m_sortFlag);
    endResetModel();
}

void DetailsTableModel::headerClicked(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    m_sortColumn = column;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    sortRows(m_sortFlag);
    m_sortFlag = !m_sortFlag;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DetailsTableModel::sortRows(bool descending)
{
    const int column = m_sortColumn;
    const bool numeric = m_columns[size_t(column)].numeric;
    const auto number = [](const QString& text) -> std::optional<double> {
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    };
    // Unset values first ascending, last descending.
    const auto compare = [&](const Row& a, const Row& b) {
        const QString left = a.cells.value(column);
        const QString right = b.cells.value(column);
        if (numeric) {
            const auto x = number(left);
            const auto y = number(right);
            if (!x || !y)
                return int(bool(x)) - int(bool(y));
            return *x < *y ? -1 : (*y < *x ? 1 : 0);
        }
        return left.compare(right, Qt::CaseInsensitive);
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
        const int result = compare(a, b);
        return descending ? result > 0 : result < 0;
    });
}

} // namespace trevisk
