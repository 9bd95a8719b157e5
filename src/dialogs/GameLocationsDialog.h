#pragma once

#include "store/RecordTable.h"
#include "store/Records.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;

namespace trevisk {

class ErrorReporter;
class Prompter;
class Stores;

// Edits a copy of the game locations, one game at a time; only "&Save" makes the copy the shared
// table (and writes gamepaths.dat), so Cancel drops every edit, including those of games left behind.
class GameLocationsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::GameLocationsDialog", "Game Locations");

    GameLocationsDialog(Stores& stores,
                        Prompter& prompter,
                        ErrorReporter& reporter,
                        std::function<void()> changed,
                        QWidget* parent = nullptr);

    // The browse filter: programs of any name where executables carry no extension.
    static QString browseFilter();
    const RecordTable<GamePath>& working() const { return m_working; }

private:
    void switchGame();
    void showGame(const QString& game);
    void commitShown();
    void browse();
    void save();

    Stores& m_stores;
    Prompter& m_prompter;
    ErrorReporter& m_reporter;
    std::function<void()> m_changed;
    RecordTable<GamePath> m_working;
    QString m_shownGame; // the game whose row the boxes hold
    QComboBox* m_games;
    QLineEdit* m_path;
    QLineEdit* m_params;
};

} // namespace trevisk
