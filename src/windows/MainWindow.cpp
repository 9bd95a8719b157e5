#include "windows/MainWindow.h"

#include "core/ErrorReporter.h"
#include "core/Sound.h"
#include "dialogs/AboutBox.h"
#include "dialogs/EmailDialog.h"
#include "dialogs/FavouriteMapsDialog.h"
#include "dialogs/FriendsDialog.h"
#include "dialogs/GameLocationsDialog.h"
#include "dialogs/SettingsDialog.h"
#include "find/FindServersWindow.h"
#include "history/MessageHistoryWindow.h"
#include "history/ServerHistoryWindow.h"
#include "list/ServerListTransfer.h"
#include "monitor/Monitor.h"
#include "notify/DesktopNotifier.h"
#include "notify/NotificationQueue.h"
#include "notify/NotifyWindow.h"
#include "players/ColourCodeDelegate.h"
#include "query/EngineProtocol.h"
#include "rcon/RconWindow.h"
#include "session/Desktop.h"
#include "session/Startup.h"
#include "tray/SnoozeMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace trevisk {

namespace {

constexpr int TwipsPerPixel = 15;

// The row styles of the grid: manual refresh before offline before friend.
class RowStyles : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::BackgroundRole && role != Qt::FontRole && role != Qt::ForegroundRole)
            return QIdentityProxyModel::data(index, role);
        const QString style = QIdentityProxyModel::data(index, StatusModel::StyleRole).toString();
        // Black on the light styles, whatever the palette's text colour.
        if (role == Qt::ForegroundRole)
            return style.isEmpty() ? QVariant() : QVariant(QColor(Qt::black));
        if (role == Qt::FontRole) {
            if (style != QLatin1String("ManRef"))
                return {};
            QFont font;
            font.setBold(true);
            return font;
        }
        if (style == QLatin1String("ManRef"))
            return QColor(192, 192, 192);
        if (style == QLatin1String("Dead"))
            return QColor(255, 128, 128);
        if (style == QLatin1String("Friend"))
            return QColor(128, 255, 128);
        return {};
    }
};

QLabel* legendLabel(const QString& text, const QColor& background, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->setStyleSheet(
        QStringLiteral("QLabel { background-color: %1; color: black; padding: 2px 12px; }").arg(background.name()));
    return label;
}

// The program's own icon: a game-server dial in the tray.
QIcon programIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 110, 190));
    painter.setPen(QPen(Qt::white, 3));
    painter.drawEllipse(3, 3, 58, 58);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(40);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("T"));
    return QIcon(pixmap);
}

// The import rebuilds the monitor's list.
class MonitorListOwner : public ServerListOwner
{
public:
    explicit MonitorListOwner(Monitor& monitor)
        : m_monitor(monitor)
    {}
    void updateList() override { m_monitor.updateList(); }

private:
    Monitor& m_monitor;
};

// Windows of the Settings menu are shown without blocking the program, one of each at a time.
template <typename Make> void showOnce(QPointer<QDialog>& open, Make make)
{
    if (!open) {
        open = make();
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
}

} // namespace

MainWindow::MainWindow(const MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_grid(new QTableView(this))
    , m_gridMenu(new QMenu(tr("&ServerList"), this))
    , m_trayMenu(new QMenu(this))
    , m_tray(this)
{
    setWindowTitle(QString::fromLatin1(Caption));
    setWindowIcon(programIcon());
    auto* central = new QWidget(this);
    auto* frame = new QGroupBox(tr("Server List"), central);
    auto* frameLayout = new QVBoxLayout(frame);
    auto* styles = new RowStyles(this);
    styles->setSourceModel(&m_services.monitor.status());
    m_grid->setObjectName(QStringLiteral("servers"));
    m_grid->setAccessibleName(frame->title());
    m_grid->setModel(styles);
    m_grid->setItemDelegateForColumn(StatusModel::NameColumn, new ColourCodeDelegate(m_grid));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setSectionsMovable(true);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[] = {130, 140, 150, 200, 50, 90, 60, 60, 55, 110, 120, 120};
    for (int column = 0; column < StatusModel::ColumnCount; ++column)
        m_grid->setColumnWidth(column, widths[column]);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        StatusModel& status = m_services.monitor.status();
        status.headerClicked(column);
        // The flag now names the next click's direction; the arrow shows the one just applied.
        m_grid->horizontalHeader()->setSortIndicator(
            column, status.sortDescending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    connect(m_grid, &QTableView::doubleClicked, this, &MainWindow::showSelectedDetails);
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        connect(new QShortcut(key, m_grid, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated,
                this,
                &MainWindow::showSelectedDetails);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &MainWindow::showGridMenu);
    frameLayout->addWidget(m_grid);

    // A new user's empty grid says how to fill it.
    auto* empty = new QLabel(tr(EmptyListText), m_grid->viewport());
    empty->setObjectName(QStringLiteral("emptyList"));
    empty->setTextFormat(Qt::PlainText);
    empty->setAlignment(Qt::AlignCenter);
    empty->setWordWrap(true);
    empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* emptyLayout = new QVBoxLayout(m_grid->viewport());
    emptyLayout->addWidget(empty);
    const auto showEmpty = [this, empty] { empty->setVisible(m_services.monitor.status().rowCount() == 0); };
    connect(&m_services.monitor.status(), &QAbstractItemModel::modelReset, empty, showEmpty);
    connect(&m_services.monitor.status(), &QAbstractItemModel::rowsInserted, empty, showEmpty);
    connect(&m_services.monitor.status(), &QAbstractItemModel::rowsRemoved, empty, showEmpty);
    showEmpty();

    auto* legend = new QHBoxLayout;
    legend->addWidget(legendLabel(tr("Server Offline"), QColor(255, 192, 192), central));
    legend->addWidget(legendLabel(tr("Friend Online"), QColor(192, 255, 192), central));
    legend->addWidget(legendLabel(tr("Manual Refresh"), QColor(192, 192, 192), central));
    legend->addStretch();
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(frame);
    layout->addLayout(legend);
    setCentralWidget(central);
    resize(1180, 420);
    buildMenus();

    m_tray.setIcon(programIcon());
    m_tray.setToolTip(QString::fromLatin1(Caption));
    m_tray.setContextMenu(m_trayMenu);
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (opensWindow(reason))
            trayDoubleClicked();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    Monitor& monitor = m_services.monitor;

    QMenu* file = menuBar()->addMenu(tr("File"));
    file->addAction(tr("&Message History..."), this, &MainWindow::showMessageHistory);
    file->addSeparator();
    file->addAction(tr("History Graph..."), this, &MainWindow::showServerHistory);
    file->addAction(tr("Purge History Data"), this, &MainWindow::purgeHistory);
    file->addSeparator();
    file->addAction(tr("Import List..."), this, [this] {
        MonitorListOwner owner(m_services.monitor);
        ServerListTransfer(m_services.context.stores, m_services.reporter, &owner).importList(m_services.prompter);
    });
    file->addAction(tr("Export List..."), this, [this] {
        ServerListTransfer(m_services.context.stores, m_services.reporter).exportList(m_services.prompter);
    });
    file->addSeparator();
    file->addAction(tr("&Exit"), this, &MainWindow::exitProgram)->setShortcut(Qt::CTRL | Qt::Key_Q);

    QMenu* servers = menuBar()->addMenu(tr("&Servers"));
    servers->addAction(tr("&Refresh All"), this, [&monitor] { monitor.refreshAll(); })->setShortcut(Qt::Key_F5);
    servers->addSeparator();
    servers->addAction(tr("&Show Details..."), this, [this] { showDetails(Prompter::Icon::None); });
    servers->addAction(tr("&Remote RCON..."), this, &MainWindow::openRemoteConsole);
    servers->addSeparator();
    servers->addAction(tr("&Find Servers..."), this, [this, &monitor] {
        showFindServersWindow(this, m_services.context, m_services.prompter, [&monitor] { monitor.updateList(); });
    });
    servers->addAction(tr("&Add Server..."), this, [&monitor] { monitor.addServer(); });
    servers->addAction(tr("&Edit Server..."), this, [this, &monitor] { monitor.editServer(selectedAddress()); });
    QAction* remove =
        servers->addAction(tr("&Delete Server"), this, [this, &monitor] { monitor.delServer(selectedAddress()); });
    // Delete in the grid asks as the menu entry does; elsewhere the key keeps its own meaning.
    connect(new QShortcut(QKeySequence::Delete, m_grid, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated,
            remove,
            &QAction::trigger);

    QMenu* settings = menuBar()->addMenu(tr("&Settings"));
    settings->addAction(tr("&Configure Trevisk..."), this, &MainWindow::showSettings);
    AppContext& context = m_services.context;
    const auto changed = [&monitor] { monitor.applySettings(); };
    settings->addAction(tr("Email Notification..."), this, [this, &context, &monitor, changed] {
        showOnce(m_emailDialog, [&] {
            return new EmailDialog(
                *context.settingsStore, m_services.prompter, m_services.reporter, monitor.clock(), changed, this);
        });
    });
    settings->addAction(tr("&Setup Game Paths..."), this, [this, &context, changed] {
        showOnce(m_pathsDialog, [&] {
            return new GameLocationsDialog(context.stores, m_services.prompter, m_services.reporter, changed, this);
        });
    });
    settings->addAction(tr("&Friends..."), this, [this, &context, changed] {
        showOnce(m_friendsDialog, [&] {
            return new FriendsDialog(context.stores, m_services.prompter, m_services.reporter, changed, this);
        });
    });
    settings->addAction(tr("&Favorite Maps..."), this, [this, &context, changed] {
        showOnce(m_mapsDialog, [&] {
            return new FavouriteMapsDialog(context.stores, m_services.prompter, m_services.reporter, changed, this);
        });
    });
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About..."), this, [this] { showAboutBox(this); });

    m_gridMenu->addAction(tr("&Refresh"), this, [this, &monitor] {
        if (const QString address = selectedAddress(); !address.isEmpty())
            monitor.refreshServer(address);
    });
    m_gridMenu->addAction(tr("&Show Details"), this, [this] { showDetails(Prompter::Icon::Exclamation); });
    m_gridMenu->addSeparator();
    m_cancelAutoJoin = m_gridMenu->addAction(tr("Cancel Auto-Join"), this, [&monitor] { monitor.cancelAutoJoin(); });
    m_gridMenu->addAction(tr("&Join Server"), this, &MainWindow::joinSelected);
    m_gridMenu->addSeparator();
    addSnoozeMenu(m_gridMenu, monitor, m_services.prompter, [this] { return selectedAddress(); });
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(tr("&Remote Rcon..."), this, &MainWindow::openRemoteConsole);

    QAction* show = m_trayMenu->addAction(tr("&Show Window..."), this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
    m_trayMenu->setDefaultAction(show);
    m_trayMenu->addAction(tr("&Refresh All"), this, [&monitor] { monitor.refreshAll(); });
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(tr("&Exit"), this, &MainWindow::exitProgram);
}

const StatusRow* MainWindow::selectedRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    int first = rows.first().row();
    for (const QModelIndex& index : rows)
        first = std::min(first, index.row());
    const auto& all = m_services.monitor.status().rows();
    return first < static_cast<int>(all.size()) ? &all[size_t(first)] : nullptr;
}

void MainWindow::showSelectedDetails()
{
    if (const StatusRow* row = selectedRow())
        m_services.monitor.showServerWindow(row->address, row->name.value_or(QString()), row->game, true);
}

QString MainWindow::selectedAddress() const
{
    const StatusRow* row = selectedRow();
    return row ? row->address : QString();
}

void MainWindow::notAvailable()
{
    m_services.prompter.tell(tr(NotAvailableText), Prompter::Icon::Information);
}

void MainWindow::showDetails(Prompter::Icon icon)
{
    const StatusRow* row = selectedRow();
    if (!row) {
        m_services.prompter.tell(tr("You must select a server to view!"), icon);
        return;
    }
    m_services.monitor.showServerWindow(row->address, row->name.value_or(QString()), row->game, true);
}

void MainWindow::openRemoteConsole()
{
    const StatusRow* row = selectedRow();
    if (!row)
        return;
    if (!hasRemoteConsole(row->game)) {
        m_services.prompter.tell(tr("Remote RCON is not yet supported for ") + row->game, Prompter::Icon::Exclamation);
        return;
    }
    m_consoles[row->address] = RconWindow::open({m_services.context, m_services.prompter, &m_services.reporter},
                                                row->address,
                                                row->name.value_or(QString()),
                                                row->game);
}

void MainWindow::joinSelected()
{
    const StatusRow* row = selectedRow();
    if (!row) {
        m_services.prompter.tell(tr("You must select a game to join!"), Prompter::Icon::Exclamation);
        return;
    }
    const QString address = row->address;
    const QString game = row->game;
    m_services.monitor.joinServer(false, address, game);
}

void MainWindow::showGridMenu(const QPoint& at)
{
    const QString address = selectedAddress();
    if (address.isEmpty())
        return;
    m_cancelAutoJoin->setVisible(m_services.monitor.isAutoJoin(address));
    m_gridMenu->popup(m_grid->viewport()->mapToGlobal(at));
}

void MainWindow::showSettings()
{
    showOnce(m_settingsDialog, [this] {
        static SilentSoundPlayer silent;
        SettingsDialogServices services{
            m_services.context.settings,
            *m_services.context.settingsStore,
            m_services.prompter,
            m_services.reporter,
            m_services.sound ? *m_services.sound : silent,
            [this] { m_services.monitor.applySettings(); },
            [](const QString& text, quint32 fore, quint32 back) { NotifyWindow::showTest(text, fore, back); }};
        if (DesktopNotifier* desktop = m_services.desktop)
            services.desktopTest = [desktop](const QString& text) { desktop->notify(text, {}); };
        return new SettingsDialog(services, this);
    });
}

void MainWindow::purgeHistory()
{
    if (m_services.prompter.ask(
            tr("Are you sure you want to purge history?"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
        == Prompter::Answer::Yes)
        m_services.monitor.history().clear();
}

void MainWindow::showMessageHistory()
{
    if (!m_services.log) {
        notAvailable();
        return;
    }
    showOnce(m_messageHistory, [this] { return new MessageHistoryWindow(*m_services.log, this); });
}

void MainWindow::showServerHistory()
{
    const StatusRow* row = selectedRow();
    if (!row) {
        m_services.prompter.tell(tr("You must select as server to view!"), Prompter::Icon::Exclamation);
        return;
    }
    QPointer<ServerHistoryWindow>& open = m_serverHistories[row->address];
    if (!open) {
        open = new ServerHistoryWindow(m_services.monitor.history(), m_services.monitor.clock(), this);
        open->setAttribute(Qt::WA_DeleteOnClose);
        // A server that never answered has no name yet: its address still says which one it is.
        open->config(row->address, row->name.value_or(QString()).isEmpty() ? row->address : *row->name);
    }
    open->show();
    open->raise();
    open->activateWindow();
}

void MainWindow::trayDoubleClicked()
{
    if (!m_firstShow) {
        m_services.monitor.refreshAll();
        m_firstShow = true;
    }
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::load()
{
    m_firstShow = false;
    restorePlacement();
    if (trayKind() != TrayKind::None)
        m_tray.show();
    if (m_services.popups)
        m_services.popups->setMessage(tr(LoadedText));
    // Hidden with no tray to come back from, the program would be out of reach.
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayAvailable)
        statusBar()->showMessage(tr("This desktop has no notification area: tray icons are unavailable."));
    if (!m_services.context.settings.startInTray || !trayAvailable)
        show();
}

void MainWindow::savePlacement() const
{
    QSettings& store = *m_services.context.settingsStore;
    const QRect frame = geometry();
    store.setValue(QStringLiteral("Window/Height"), QString::number(frame.height() * TwipsPerPixel));
    store.setValue(QStringLiteral("Window/Width"), QString::number(frame.width() * TwipsPerPixel));
    // Where the desktop places windows itself (Wayland) the position is unknown: keep the stored one.
    if (windowsPlaceable()) {
        store.setValue(QStringLiteral("Window/Top"), QString::number(frame.top() * TwipsPerPixel));
        store.setValue(QStringLiteral("Window/Left"), QString::number(frame.left() * TwipsPerPixel));
    }
    const QHeaderView* header = m_grid->horizontalHeader();
    for (int column = 0; column < StatusModel::ColumnCount; ++column) {
        const QString key = QStringLiteral("Grid/") + QString::number(column);
        store.setValue(key + QStringLiteral("Width"), QString::number(header->sectionSize(column) * TwipsPerPixel));
        store.setValue(key + QStringLiteral("Position"), QString::number(header->visualIndex(column)));
    }
    store.sync();
}

void MainWindow::restorePlacement()
{
    QSettings& store = *m_services.context.settingsStore;
    // A missing value, or one that is no number, keeps what the window has.
    const auto number = [&store](const QString& key) -> std::optional<int> {
        bool ok = false;
        const int value = store.value(key).toString().toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    };
    QRect frame = geometry();
    if (const auto height = number(QStringLiteral("Window/Height")); height && *height > 0)
        frame.setHeight(*height / TwipsPerPixel);
    if (const auto width = number(QStringLiteral("Window/Width")); width && *width > 0)
        frame.setWidth(*width / TwipsPerPixel);
    if (!windowsPlaceable()) {
        resize(frame.size());
    } else {
        if (const auto top = number(QStringLiteral("Window/Top")))
            frame.moveTop(*top / TwipsPerPixel);
        if (const auto left = number(QStringLiteral("Window/Left")))
            frame.moveLeft(*left / TwipsPerPixel);
        setGeometry(frame);
    }
    QHeaderView* header = m_grid->horizontalHeader();
    QList<int> positions;
    for (int column = 0; column < StatusModel::ColumnCount; ++column) {
        const auto width = number(QStringLiteral("Grid/%1Width").arg(column));
        if (width && *width > 0)
            header->resizeSection(column, *width / TwipsPerPixel);
        positions << number(QStringLiteral("Grid/%1Position").arg(column)).value_or(-1);
    }
    restoreColumnOrder(*header, positions);
}

void MainWindow::restoreColumnOrder(QHeaderView& header, const QList<int>& positions)
{
    QList<std::pair<int, int>> targets; // position, column
    for (int column = 0; column < positions.size() && column < header.count(); ++column) {
        if (positions[column] >= 0 && positions[column] < header.count())
            targets.append({positions[column], column});
    }
    // A move to position p shifts only what lies at p or beyond, so the columns already placed
    // in front stay where they were put.
    std::stable_sort(targets.begin(), targets.end());
    for (const auto& [position, column] : targets)
        header.moveSection(header.visualIndex(column), position);
}

void MainWindow::exitProgram()
{
    m_exiting = true;
    m_tray.hide();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        savePlacement();
    emit exitRequested();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close box hides the window; monitoring and the tray icons go on.
    if (!m_exiting) {
        event->ignore();
        hide();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace trevisk
