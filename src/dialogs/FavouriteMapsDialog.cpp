#include "dialogs/FavouriteMapsDialog.h"

#include "core/Prompter.h"
#include "dialogs/DialogParts.h"
#include "store/ListRules.h"
#include "store/Stores.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableWidget>

namespace trevisk {

namespace {

constexpr char DuplicateText[] = QT_TRANSLATE_NOOP("trevisk::FavouriteMapsDialog", "This map is already in the list!");

} // namespace

FavouriteMapsDialog::FavouriteMapsDialog(
    Stores& stores, Prompter& prompter, ErrorReporter& reporter, std::function<void()> changed, QWidget* parent)
    : QDialog(parent)
    , m_stores(stores)
    , m_prompter(prompter)
    , m_reporter(reporter)
    , m_changed(std::move(changed))
    , m_askMap([this](const std::optional<MapEntry>& current) { return runMapEntry(current); })
    , m_working(stores.favMaps)
    , m_grid(new QTableWidget(0, 2, this))
{
    setWindowTitle(tr(Caption));
    setObjectName(QStringLiteral("frmMaps"));
    m_grid->setObjectName(QStringLiteral("SSDBMaps"));
    m_grid->setAccessibleName(tr("Map List"));
    m_grid->setHorizontalHeaderLabels({tr("Game"), tr("Map")});
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* frame = new QGroupBox(tr("Map List"), this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(listEditorButtons(*this,
                                        QBoxLayout::LeftToRight,
                                        "cmdOK",
                                        {.add = [this] { addMap(); },
                                         .edit = [this] { editMap(); },
                                         .remove = [this] { deleteMap(); },
                                         .save = [this] { save(); }}));
    refreshGrid();
    resize(480, 320);
}

std::optional<MapEntry> FavouriteMapsDialog::runMapEntry(const std::optional<MapEntry>& current)
{
    MapEntryDialog entry(m_prompter, this);
    if (current)
        entry.setMap(current->game, current->map);
    if (entry.exec() != QDialog::Accepted)
        return std::nullopt;
    return entry.entry();
}

void FavouriteMapsDialog::refreshGrid()
{
    m_grid->clearSelection();
    m_grid->clearContents();
    m_grid->setRowCount(static_cast<int>(m_working.rows.size()));
    int row = 0;
    for (const FavouriteMap& map : m_working.rows) {
        m_grid->setItem(row, 0, new QTableWidgetItem(map.game.value_or(QString())));
        m_grid->setItem(row, 1, new QTableWidgetItem(map.map.value_or(QString())));
        ++row;
    }
}

int FavouriteMapsDialog::selectedRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FavouriteMapsDialog::addMap()
{
    const std::optional<MapEntry> entry = m_askMap(std::nullopt);
    if (!entry)
        return;
    if (hasFavouriteMap(m_working.rows, entry->game, entry->map)) {
        m_prompter.tell(tr(DuplicateText), Prompter::Icon::Exclamation);
        return;
    }
    FavouriteMap map;
    map.id = nextFavouriteMapId(m_working.rows);
    map.game = entry->game;
    map.map = entry->map;
    m_working.rows.push_back(map);
    refreshGrid();
    m_grid->selectRow(static_cast<int>(m_working.rows.size()) - 1);
}

void FavouriteMapsDialog::editMap()
{
    const int row = selectedRow();
    if (row < 0) {
        m_prompter.tell(tr("You must select a map to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    // The selected row itself is edited, not the first one with its ID: stored lists may repeat an ID.
    const auto index = static_cast<size_t>(row);
    const MapEntry before{m_working.rows[index].game.value_or(QString()),
                          m_working.rows[index].map.value_or(QString())};
    const std::optional<MapEntry> entry = m_askMap(before);
    if (!entry)
        return;
    if (*entry != before && hasFavouriteMap(m_working.rows, entry->game, entry->map, index)) {
        m_prompter.tell(tr(DuplicateText), Prompter::Icon::Exclamation);
        return;
    }
    FavouriteMap& map = m_working.rows[index];
    map.game = entry->game;
    map.map = entry->map;
    refreshGrid();
    m_grid->selectRow(row);
}

void FavouriteMapsDialog::deleteMap()
{
    const int row = selectedRow();
    if (row < 0) {
        m_prompter.tell(tr("You must select a map to delete!"), Prompter::Icon::Exclamation);
        return;
    }
    if (m_prompter.ask(
            tr("Are you sure you want to delete this map?"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
        != Prompter::Answer::Yes)
        return;
    m_working.rows.erase(m_working.rows.begin() + row);
    refreshGrid();
}

void FavouriteMapsDialog::save()
{
    finishSave(*this, m_reporter, commitFavMaps(m_stores, m_working), "cmdOK_Click()", m_changed);
}

} // namespace trevisk
