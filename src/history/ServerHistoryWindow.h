#pragma once

#include "history/HistorySeries.h"

#include <QDialog>

class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QPushButton;
class QValueAxis;

namespace trevisk {

class Clock;
class History;

// One server's players or ping over a chosen span. It changes only through config() and
// "Refresh": choosing in the lists alone redraws nothing.
class ServerHistoryWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::ServerHistoryWindow", "Server History");

    ServerHistoryWindow(const History& history, const Clock& clock, QWidget* parent = nullptr);

    // Binds the window to a server and draws its players over the first span.
    void config(const QString& address, const QString& name);
    // Redraws for the span chosen in the list.
    void graph(HistoryType type);

    QString address() const { return m_address; }
    QChartView* chartView() const { return m_view; }

private:
    void refresh();
    int chosenMinutes() const;

    const History& m_history;
    const Clock& m_clock;
    QString m_address;
    QString m_name;
    QLabel* m_title;
    QComboBox* m_type;
    QComboBox* m_interval;
    QPushButton* m_refresh;
    QChartView* m_view;
    QDateTimeAxis* m_timeAxis;
    QValueAxis* m_valueAxis;
};

} // namespace trevisk
