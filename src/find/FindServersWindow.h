#pragma once

#include "core/Clock.h"
#include "find/FoundServersModel.h"
#include "find/ServerFinder.h"
#include "query/QueryEngine.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace trevisk {

struct AppContext;
class Prompter;

// "Find Servers": asks a game's masters, shows the servers that pass the filters as their
// answers come, and adds the selected ones to the list. A view over ServerFinder.
class FindServersWindow : public QWidget
{
    Q_OBJECT
public:
    // `listChanged` tells the running monitor that servers were added.
    FindServersWindow(AppContext& context,
                      Prompter& prompter,
                      std::function<void()> listChanged,
                      QWidget* parent = nullptr);
    ~FindServersWindow() override;

    ServerFinder& finder() { return m_finder; }
    void setMasterTiming(const MasterQuery::Timing& timing) { m_finder.setMasterTiming(timing); }
    void setQueryTimeOut(std::chrono::milliseconds timeOut);

private:
    void gameChosen();
    void find();
    void addSelected();
    void showProgress();

    AppContext& m_context;
    Prompter& m_prompter;
    std::function<void()> m_listChanged;
    SystemClock m_clock;
    QueryEngine m_engine{m_clock};
    ServerFinder m_finder{m_engine};
    FoundServersModel m_model{m_finder};
    QSortFilterProxyModel* m_sorted;
    QComboBox* m_game;
    QLineEdit* m_masters;
    QSpinBox* m_protocol;
    QLineEdit* m_name;
    QLineEdit* m_map;
    QCheckBox* m_notEmpty;
    QCheckBox* m_notFull;
    QPushButton* m_find;
    QPushButton* m_add;
    QProgressBar* m_progress;
    QLabel* m_status;
    QTableView* m_table;
};

// Shows the window, creating it (owned by `parent`) when none is open.
void showFindServersWindow(QWidget* parent,
                           AppContext& context,
                           Prompter& prompter,
                           const std::function<void()>& listChanged);

} // namespace trevisk
