#include "monitor/StatusModel.h"

#include <QLocale>

namespace trevisk {

namespace {

template <typename T> QVariant optionalValue(const std::optional<T>& value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

StatusModel::StatusModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

int StatusModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StatusModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString StatusModel::style(const StatusRow& row)
{
    if (row.manRef == QLatin1String("1"))
        return QStringLiteral("ManRef");
    if (!row.answered())
        return QStringLiteral("Dead");
    if (row.friends.value_or(0) > 0)
        return QStringLiteral("Friend");
    return {};
}

QVariant StatusModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const StatusRow& row = m_rows[static_cast<size_t>(index.row())];
    if (role == StyleRole)
        return style(row);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case GameColumn:
        return row.game;
    case AddressColumn:
        return row.address;
    case ArColumn:
        // Formatted when shown: the locale's date-time text is costly to make at every answer.
        return row.answered() ? QVariant(QLocale::system().toString(row.ar, QLocale::ShortFormat))
                              : QVariant(QString());
    case NameColumn:
        return optionalValue(row.name);
    case PingColumn:
        return optionalValue(row.ping);
    case LastRefreshColumn:
        return row.lastRefresh ? QVariant(row.lastRefresh->toString(QStringLiteral("h:mm:ss AP"))) : QVariant();
    case ManRefColumn:
        return row.manRef;
    case PlayersColumn:
        return optionalValue(row.players);
    case FriendsColumn:
        return optionalValue(row.friends);
    case MapColumn:
        return optionalValue(row.map);
    case MemoColumn:
        return row.server;
    }
    return {};
}

QVariant StatusModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount] = {
        "Game", "Address", "AR", "Name", "Ping", "Last Refresh", "ManRef", "Players", "Friends", "Map", "Memo"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section]) : QString();
}

int StatusModel::indexOf(const QString& address) const
{
    return m_index.value(address, -1);
}

const StatusRow* StatusModel::find(const QString& address) const
{
    const int row = indexOf(address);
    return row < 0 ? nullptr : &m_rows[static_cast<size_t>(row)];
}

void StatusModel::reindex()
{
    m_index.clear();
    m_index.reserve(static_cast<qsizetype>(m_rows.size()));
    // The first row of an address wins, as a search from the top would find it.
    for (int i = static_cast<int>(m_rows.size()) - 1; i >= 0; --i)
        m_index.insert(m_rows[static_cast<size_t>(i)].address, i);
}

void StatusModel::reset(std::vector<StatusRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    reindex();
    endResetModel();
}

void StatusModel::append(StatusRow row)
{
    const int position = rowCount();
    beginInsertRows({}, position, position);
    m_rows.push_back(std::move(row));
    if (!m_index.contains(m_rows.back().address))
        m_index.insert(m_rows.back().address, position);
    endInsertRows();
}

void StatusModel::remove(const QString& address)
{
    const int row = indexOf(address);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    reindex();
    endRemoveRows();
}

void StatusModel::update(const QString& address, const std::function<void(StatusRow&)>& change)
{
    const int row = indexOf(address);
    if (row < 0)
        return;
    StatusRow& target = m_rows[static_cast<size_t>(row)];
    change(target);
    if (target.address != address)
        reindex();
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void StatusModel::updateAll(const std::function<void(StatusRow&)>& change)
{
    if (m_rows.empty())
        return;
    for (StatusRow& row : m_rows)
        change(row);
    reindex();
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

} // namespace trevisk
