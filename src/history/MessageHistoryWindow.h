#pragma once

#include <QDialog>

class QTableView;

namespace trevisk {

class EventLog;
class MessageHistoryModel;

// The notifications of this run, newest first, following new ones as they are logged.
class MessageHistoryWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::MessageHistoryWindow", "Message History");

    explicit MessageHistoryWindow(const EventLog& log, QWidget* parent = nullptr);

    QTableView* grid() const { return m_grid; }

private:
    MessageHistoryModel* m_model;
    QTableView* m_grid;
};

} // namespace trevisk
