#include "history/MessageHistoryModel.h"

#include "core/Routines.h"
#include "notify/EventLog.h"

#include <QLocale>

namespace trevisk {

MessageHistoryModel::MessageHistoryModel(const EventLog& log, QObject* parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_seen(static_cast<int>(log.notifyLog().size()))
{}

int MessageHistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_seen;
}

int MessageHistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant MessageHistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_seen || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    // Row 0 is the newest of the rows seen so far.
    const Notification& row = m_log.notifyLog()[size_t(m_seen - 1 - index.row())];
    if (index.column() == 0) {
        const QLocale locale = QLocale::system();
        return locale.toString(row.stamp,
                               locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ')
                                   + locale.timeFormat(QLocale::LongFormat));
    }
    // Server names are part of the messages: one line each, whatever they hold, never read as markup.
    const QString message = visibleText(row.message);
    return role == Qt::ToolTipRole ? plainTip(message) : message;
}

QVariant MessageHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? tr("Date Stamp") : tr("Message");
}

void MessageHistoryModel::refresh()
{
    const int count = static_cast<int>(m_log.notifyLog().size());
    if (count == m_seen)
        return;
    if (count < m_seen) {
        beginResetModel();
        m_seen = count;
        endResetModel();
        return;
    }
    beginInsertRows({}, 0, count - m_seen - 1);
    m_seen = count;
    endInsertRows();
}

} // namespace trevisk
