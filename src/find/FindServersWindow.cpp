#include "find/FindServersWindow.h"

#include "core/Catalogue.h"
#include "core/Prompter.h"
#include "find/AddFoundServers.h"
#include "find/MasterSettings.h"
#include "players/ColourCodeDelegate.h"
#include "players/FriendList.h"
#include "session/Startup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace trevisk {

namespace {

// The grid's colours: a server that did not answer, one a friend plays on.
class FoundRowStyles : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::BackgroundRole)
            return QSortFilterProxyModel::data(index, role);
        const QString style = QSortFilterProxyModel::data(index, FoundServersModel::StyleRole).toString();
        if (style == QLatin1String("Dead"))
            return QColor(255, 128, 128);
        if (style == QLatin1String("Friend"))
            return QColor(128, 255, 128);
        return {};
    }
};

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

FindServersWindow::FindServersWindow(AppContext& context,
                                     Prompter& prompter,
                                     std::function<void()> listChanged,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
    , m_prompter(prompter)
    , m_listChanged(std::move(listChanged))
{
    setWindowTitle(tr("Find Servers"));
    QueryEngine::Timing timing = m_engine.timing();
    timing.queriesPerSecond = SendPacer::HomeQueriesPerSecond;
    m_engine.setTiming(timing);

    m_game = named(new QComboBox(this), "game");
    for (const QString& game : sortedGameList()) {
        if (masterKindForGame(game) != MasterKind::None)
            m_game->addItem(game);
    }
    m_masters = named(new QLineEdit(this), "masters");
    m_masters->setToolTip(tr("host:port of each master, separated by spaces"));
    m_protocol = named(new QSpinBox(this), "protocol");
    m_protocol->setRange(0, 99999);
    m_protocol->setSpecialValueText(tr("unknown"));
    m_name = named(new QLineEdit(this), "name");
    m_map = named(new QLineEdit(this), "map");
    m_notEmpty = named(new QCheckBox(tr("Not empty"), this), "notEmpty");
    m_notFull = named(new QCheckBox(tr("Not full"), this), "notFull");
    m_find = named(new QPushButton(tr("&Find"), this), "find");
    m_find->setDefault(true);
    m_add = named(new QPushButton(tr("&Add to List"), this), "add");
    m_add->setEnabled(false);
    m_progress = named(new QProgressBar(this), "progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_status = named(new QLabel(this), "status");

    m_sorted = new FoundRowStyles(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(FoundServersModel::SortRole);
    m_table = named(new QTableView(this), "found");
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(FoundServersModel::AddressColumn, 150);
    m_table->setColumnWidth(FoundServersModel::NameColumn, 220);
    m_table->setColumnWidth(FoundServersModel::PlayersColumn, 70);
    m_table->setColumnWidth(FoundServersModel::PingColumn, 50);
    m_table->setItemDelegateForColumn(FoundServersModel::NameColumn, new ColourCodeDelegate(m_table));

    auto* form = new QFormLayout;
    form->addRow(tr("&Game:"), m_game);
    form->addRow(tr("&Masters:"), m_masters);
    form->addRow(tr("&Protocol:"), m_protocol);
    form->addRow(tr("&Name contains:"), m_name);
    form->addRow(tr("Ma&p contains:"), m_map);
    auto* switches = new QHBoxLayout;
    switches->addWidget(m_notEmpty);
    switches->addWidget(m_notFull);
    switches->addStretch();
    switches->addWidget(m_find);
    form->addRow(switches);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_add);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);
    resize(760, 520);

    connect(m_game, &QComboBox::currentTextChanged, this, &FindServersWindow::gameChosen);
    connect(m_find, &QPushButton::clicked, this, &FindServersWindow::find);
    connect(m_add, &QPushButton::clicked, this, &FindServersWindow::addSelected);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_add->setEnabled(m_table->selectionModel()->hasSelection());
    });
    connect(&m_finder, &ServerFinder::serverDone, this, [this](int index) {
        m_model.serverDone(index);
        showProgress();
    });
    connect(&m_finder, &ServerFinder::serversListed, this, &FindServersWindow::showProgress);
    connect(&m_finder, &ServerFinder::masterFinished, this, &FindServersWindow::showProgress);
    connect(&m_finder, &ServerFinder::finished, this, [this] {
        m_find->setText(tr("&Find"));
        showProgress();
    });
    const int quake3 = m_game->findText(QStringLiteral("Quake 3"));
    m_game->setCurrentIndex(quake3 < 0 ? 0 : quake3);
    gameChosen();
}

FindServersWindow::~FindServersWindow()
{
    m_finder.disconnect(this);
    m_finder.stop();
}

void FindServersWindow::setQueryTimeOut(std::chrono::milliseconds timeOut)
{
    QueryEngine::Timing timing = m_engine.timing();
    timing.timeOut = timeOut;
    m_engine.setTiming(timing);
}

void FindServersWindow::gameChosen()
{
    const QString game = m_game->currentText();
    m_masters->setText(mastersFor(*m_context.settingsStore, game).join(QLatin1Char(' ')));
    const GameInfo* info = findGame(game);
    const bool numbered = masterKindForGame(game) == MasterKind::Quake3;
    m_protocol->setEnabled(numbered);
    m_protocol->setValue(numbered && info ? info->masterProtocol : 0);
}

void FindServersWindow::find()
{
    if (!m_finder.isFinished()) {
        m_finder.stop();
        return;
    }
    FindRequest request;
    request.game = m_game->currentText();
    request.masters = splitMasterList(m_masters->text());
    if (m_protocol->isEnabled() && m_protocol->value() > 0)
        request.protocol = m_protocol->value();
    request.filters.name = m_name->text().trimmed();
    request.filters.map = m_map->text().trimmed();
    request.filters.notEmpty = m_notEmpty->isChecked();
    request.filters.notFull = m_notFull->isChecked();
    m_model.clear();
    QStringList friends;
    for (const FriendRecord& record : m_context.stores.friends.rows)
        friends << record.name.value_or(QString());
    m_engine.setFriendList(FriendList(friends));
    QString error;
    if (!m_finder.start(request, error)) {
        m_prompter.tell(error, Prompter::Icon::Exclamation);
        return;
    }
    // The masters the user asked are the game's masters from now on.
    if (request.masters != mastersFor(*m_context.settingsStore, request.game))
        setMastersFor(*m_context.settingsStore, request.game, request.masters);
    m_find->setText(tr("&Stop"));
    showProgress();
}

void FindServersWindow::addSelected()
{
    QStringList addresses;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        addresses += m_model.server(m_sorted->mapToSource(index).row()).address;
    const AddFoundOutcome outcome =
        addFoundServers(m_context.stores, m_context.settings, m_finder.request().game, addresses);
    if (outcome.added > 0 && m_listChanged)
        m_listChanged();
    QString text = tr("%1 added").arg(outcome.added);
    if (outcome.listed > 0)
        text += tr(", %1 already listed").arg(outcome.listed);
    m_status->setText(text);
    if (!outcome.saveError.isEmpty())
        m_prompter.tell(outcome.saveError, Prompter::Icon::Critical);
    else if (!outcome.refused.isEmpty())
        m_prompter.tell(outcome.refused.join(QLatin1Char('\n')), Prompter::Icon::Exclamation);
}

void FindServersWindow::showProgress()
{
    const int queried = m_finder.queriedCount();
    m_progress->setRange(0, std::max(queried, 1));
    m_progress->setValue(m_finder.doneCount());
    QString text = tr("%1 listed, %2 of %3 answered, %4 shown")
                       .arg(m_finder.found().size())
                       .arg(m_finder.answeredCount())
                       .arg(queried)
                       .arg(m_model.rowCount());
    QStringList faults;
    for (const ServerFinder::MasterOutcome& master : m_finder.masters()) {
        if (master.finished && !master.error.isEmpty())
            faults += master.master + QStringLiteral(": ") + master.error;
    }
    m_status->setText(text);
    m_status->setToolTip(faults.join(QLatin1Char('\n')));
}

void showFindServersWindow(QWidget* parent,
                           AppContext& context,
                           Prompter& prompter,
                           const std::function<void()>& listChanged)
{
    auto* window = parent->findChild<FindServersWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new FindServersWindow(context, prompter, listChanged, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace trevisk
