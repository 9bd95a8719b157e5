#include "status/StatusModel.h"

#include "core/Routines.h"
#include "players/ColourCodes.h"

#include <QLocale>

#include <numeric>

namespace trevisk {

namespace {

template <typename T> QVariant optionalValue(const std::optional<T>& value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

// The 12-hour form is the English one; other languages read their own time of day.
QString lastRefreshText(const QTime& time, const QLocale& locale = QLocale::system())
{
    if (locale.language() == QLocale::C || locale.language() == QLocale::English)
        return time.toString(QStringLiteral("h:mm:ss AP"));
    return locale.toString(time, QStringLiteral("HH:mm:ss"));
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
    if (row.manualRefresh)
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
    if (role == ColouredTextRole)
        return index.column() == NameColumn && !row.colouredName.isEmpty() ? QVariant(visibleText(row.colouredName))
                                                                           : QVariant();
    if (role == Qt::ToolTipRole && index.column() == StateColumn)
        return plainTip(visibleText(shownStateLine(row.state, row.stateReason)));
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case GameColumn:
        return row.game;
    case AddressColumn:
        return row.address;
    case AnsweredAtColumn:
        // Formatted when shown: the locale's date-time text is costly to make at every answer.
        return row.answered() ? QVariant(answeredAtText(row.answeredAt)) : QVariant(QString());
    case NameColumn:
        // What a server sends is shown on one line, whatever it holds.
        return row.name ? QVariant(visibleText(*row.name)) : QVariant();
    case PingColumn:
        return optionalValue(row.ping);
    case LastRefreshColumn:
        return row.lastRefresh ? QVariant(lastRefreshText(*row.lastRefresh)) : QVariant();
    case ManualRefreshColumn:
        return row.manualRefresh ? QStringLiteral("1") : QStringLiteral("0");
    case PlayersColumn:
        return optionalValue(row.players);
    case FriendsColumn:
        return optionalValue(row.friends);
    case MapColumn:
        return row.map ? QVariant(visibleText(*row.map)) : QVariant();
    case MemoColumn:
        return visibleText(row.memo);
    case StateColumn:
        // An offline server says so; its state says how it went.
        if (row.offline)
            return tr("offline (%1)").arg(shownStateText(row.state));
        return visibleText(shownStateLine(row.state, row.stateReason));
    }
    return {};
}

QVariant StatusModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount] = {QT_TR_NOOP("Game"),
                                                      QT_TR_NOOP("Address"),
                                                      "AR",
                                                      QT_TR_NOOP("Name"),
                                                      QT_TR_NOOP("Ping"),
                                                      QT_TR_NOOP("Last Refresh"),
                                                      "ManRef",
                                                      QT_TR_NOOP("Players"),
                                                      QT_TR_NOOP("Friends"),
                                                      QT_TR_NOOP("Map"),
                                                      QT_TR_NOOP("Memo"),
                                                      QT_TR_NOOP("State")};
    return section >= 0 && section < ColumnCount ? tr(captions[section]) : QString();
}

QString StatusModel::answeredAtText(const QDateTime& stamp, const QLocale& locale)
{
    // Qt's long time format names the time zone too; the general form stops at the seconds.
    QString time;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            time += c;
    }
    return locale.toString(stamp, locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time.trimmed());
}

namespace {

// -1, 0 or 1 with unset values before every value.
template <typename T> int compareOptional(const std::optional<T>& a, const std::optional<T>& b)
{
    if (!a || !b)
        return int(bool(a)) - int(bool(b));
    return *a < *b ? -1 : (*b < *a ? 1 : 0);
}

int compareText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive);
}

int compareOptional(const std::optional<QString>& a, const std::optional<QString>& b)
{
    if (!a || !b)
        return int(bool(a)) - int(bool(b));
    return compareText(*a, *b);
}

int compareRows(const StatusRow& a, const StatusRow& b, int column)
{
    switch (column) {
    case StatusModel::GameColumn:
        return compareText(a.game, b.game);
    case StatusModel::AddressColumn:
        return compareText(a.address, b.address);
    case StatusModel::AnsweredAtColumn: {
        const auto stamp = [](const StatusRow& row) {
            return row.answered() ? std::optional(row.answeredAt) : std::nullopt;
        };
        return compareOptional(stamp(a), stamp(b));
    }
    case StatusModel::NameColumn:
        return compareOptional(a.name, b.name);
    case StatusModel::PingColumn:
        return compareOptional(a.ping, b.ping);
    case StatusModel::LastRefreshColumn:
        return compareOptional(a.lastRefresh, b.lastRefresh);
    case StatusModel::ManualRefreshColumn:
        return int(a.manualRefresh) - int(b.manualRefresh);
    case StatusModel::PlayersColumn:
        if (const int players = compareOptional(a.playerCount, b.playerCount))
            return players;
        return compareOptional(a.maxPlayers, b.maxPlayers);
    case StatusModel::FriendsColumn:
        return compareOptional(a.friends, b.friends);
    case StatusModel::MapColumn:
        return compareOptional(a.map, b.map);
    case StatusModel::MemoColumn:
        return compareText(a.memo, b.memo);
    case StatusModel::StateColumn:
        return int(a.state) - int(b.state);
    }
    return 0;
}

} // namespace

void StatusModel::headerClicked(int column)
{
    const bool descending = std::exchange(m_sortDescending, !m_sortDescending);
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int result = compareRows(m_rows[size_t(a)], m_rows[size_t(b)], column);
        return descending ? result > 0 : result < 0;
    });
    std::vector<StatusRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
        newRowOf[size_t(order[i])] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    reindex();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << this->index(newRowOf[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
    // A server listed before keeps when it last answered.
    for (StatusRow& row : rows) {
        if (const StatusRow* before = row.lastAnswer.isValid() ? nullptr : find(row.address))
            row.lastAnswer = before->lastAnswer;
    }
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
