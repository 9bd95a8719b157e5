#include "find/FoundServersModel.h"

#include "core/Routines.h"
#include "players/ColourCodes.h"

#include <algorithm>
#include <limits>

namespace trevisk {

FoundServersModel::FoundServersModel(const ServerFinder& finder, QObject* parent)
    : QAbstractTableModel(parent)
    , m_finder(finder)
{}

int FoundServersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FoundServersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ServerFinder::Found& FoundServersModel::server(int row) const
{
    return m_finder.found()[static_cast<size_t>(m_rows[static_cast<size_t>(row)])];
}

void FoundServersModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FoundServersModel::serverDone(int index)
{
    const ServerFinder::Found& found = m_finder.found()[static_cast<size_t>(index)];
    if (!found.queried || !passesFilters(m_finder.request().filters, found.result))
        return;
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back(index);
    endInsertRows();
}

QVariant FoundServersModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QueryRound::Result& result = server(index.row()).result;
    if (role == StyleRole) {
        if (!result.answered)
            return QStringLiteral("Dead");
        const bool friendOn =
            result.players && std::any_of(result.players->begin(), result.players->end(), [](const Player& player) {
                return player.isFriend;
            });
        return friendOn ? QStringLiteral("Friend") : QString();
    }
    // Only the Quake 3 family writes colour codes into its names.
    const bool coloured = masterKindForGame(result.game) == MasterKind::Quake3;
    if (role == ColouredTextRole)
        return index.column() == NameColumn && coloured ? QVariant(visibleText(result.hostname)) : QVariant();
    if (role == SortRole) {
        switch (index.column()) {
        case PlayersColumn:
            return result.answered ? result.playerCount() : -1;
        case PingColumn:
            return result.answered ? result.ping : std::numeric_limits<int>::max();
        case AddressColumn:
            return server(index.row()).listed.host.toIPv4Address() * 65536.0 + server(index.row()).listed.port;
        default:
            return data(index, Qt::DisplayRole).toString().toLower();
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case AddressColumn:
        return result.address;
    case NameColumn:
        return visibleText(coloured ? QString::fromUtf8(stripColours(result.hostname.toUtf8())) : result.hostname);
    case MapColumn:
        return visibleText(result.map);
    case PlayersColumn:
        return result.answered
                   ? QString::number(result.playerCount()) + QLatin1Char('/') + visibleText(result.maxPlayers)
                   : QString();
    case PingColumn:
        return result.answered ? QVariant(result.ping) : QVariant();
    case StateColumn:
        return visibleText(shownStateLine(result.state, result.stateReason));
    }
    return {};
}

QVariant FoundServersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount] = {"Address", "Name", "Map", "Players", "Ping", "State"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section]) : QString();
}

} // namespace trevisk
