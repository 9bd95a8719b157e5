#pragma once

#include "dialogs/MapEntryDialog.h"
#include "store/RecordTable.h"
#include "store/Records.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTableWidget;

namespace trevisk {

class ErrorReporter;
class Prompter;
class Stores;

// Asks for a map: nothing when cancelled. `current` is the row being edited, or nothing when adding.
using MapPrompt = std::function<std::optional<MapEntry>(const std::optional<MapEntry>& current)>;

// Edits a copy of the favourite maps; "&Save" makes it the list and writes favmaps.dat.
class FavouriteMapsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::FavouriteMapsDialog", "Favorite Maps");

    FavouriteMapsDialog(Stores& stores,
                        Prompter& prompter,
                        ErrorReporter& reporter,
                        std::function<void()> changed,
                        QWidget* parent = nullptr);

    // Replaces the map entry dialog, for tests.
    void setMapPrompt(MapPrompt prompt) { m_askMap = std::move(prompt); }
    QTableWidget* grid() const { return m_grid; }
    const RecordTable<FavouriteMap>& working() const { return m_working; }

private:
    void addMap();
    void editMap();
    void deleteMap();
    void save();
    void refreshGrid();
    int selectedRow() const;
    std::optional<MapEntry> runMapEntry(const std::optional<MapEntry>& current);

    Stores& m_stores;
    Prompter& m_prompter;
    ErrorReporter& m_reporter;
    std::function<void()> m_changed;
    MapPrompt m_askMap;
    RecordTable<FavouriteMap> m_working;
    QTableWidget* m_grid;
};

} // namespace trevisk
