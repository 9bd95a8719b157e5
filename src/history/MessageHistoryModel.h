#pragma once

#include <QAbstractTableModel>

namespace trevisk {

class EventLog;

// The run's notifications, newest first.
class MessageHistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit MessageHistoryModel(const EventLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes in the rows logged since the last refresh; they go to the top.
    void refresh();

private:
    const EventLog& m_log;
    int m_seen = 0;
};

} // namespace trevisk
