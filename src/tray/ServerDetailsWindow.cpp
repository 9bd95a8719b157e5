#include "tray/ServerDetailsWindow.h"

#include "core/Prompter.h"
#include "core/Routines.h"
#include "core/Sound.h"
#include "icons/TrayIconPainter.h"
#include "monitor/Monitor.h"
#include "players/ColourCodeDelegate.h"
#include "query/EngineProtocol.h"
#include "rcon/RconWindow.h"
#include "session/Desktop.h"
#include "session/Startup.h"
#include "tray/DetailsTableModel.h"
#include "tray/SnoozeMenu.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace trevisk {

namespace {

// Pixels at 96 dpi from the twips the window was laid out in.
constexpr int px(int twips)
{
    return twips / 15;
}

// Friend rows in bold, in the colour the user chose for friends, on white or black, whichever
// that colour reads on, whatever the palette's background.
class FriendRowStyle : public QIdentityProxyModel
{
public:
    FriendRowStyle(quint32 colour, QObject* parent)
        : QIdentityProxyModel(parent)
        , m_colour(colourOf(colour))
    {}
    QVariant data(const QModelIndex& index, int role) const override
    {
        if ((role == Qt::FontRole || role == Qt::ForegroundRole || role == Qt::BackgroundRole)
            && QIdentityProxyModel::data(index, DetailsTableModel::HighlightRole).toBool()) {
            if (role == Qt::ForegroundRole)
                return m_colour;
            if (role == Qt::BackgroundRole)
                return isLightColour(m_colour) ? QColor(Qt::black) : QColor(Qt::white);
            QFont font;
            font.setBold(true);
            return font;
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    QColor m_colour;
};

} // namespace

ServerDetailsWindow::ServerDetailsWindow(const ServerWindowServices& services, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_services(services)
    , m_players(new DetailsTableModel({{QStringLiteral("ID"), true},
                                       {tr("Name"), false},
                                       {tr("Ping"), true},
                                       {tr("Score"), true},
                                       {tr("Time"), true}},
                                      this))
    , m_settings(new DetailsTableModel({{tr("Setting"), false}, {tr("Value"), false}}, this))
    , m_tabs(new QTabWidget(this))
    , m_state(new QLabel(tr("State: ..."), this))
    , m_uptime(new QLabel(this))
    , m_menu(new QMenu(this))
    , m_tray(this)
{
    auto* playersGrid = makeGrid(m_players);
    playersGrid->setObjectName(QStringLiteral("players"));
    playersGrid->setAccessibleName(tr("Players"));
    // The name takes what is left, so that ping and score show without scrolling.
    playersGrid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int column : {0, 2, 3, 4})
        playersGrid->setColumnWidth(column, px(std::array{600, 0, 750, 750, 750}[size_t(column)]));
    auto* settingsGrid = makeGrid(m_settings);
    settingsGrid->setObjectName(QStringLiteral("settings"));
    settingsGrid->setAccessibleName(tr("Settings"));
    m_tabs->setAccessibleName(tr("Server details"));
    settingsGrid->horizontalHeader()->setStretchLastSection(true);
    m_tabs->addTab(playersGrid, tr("Players"));
    m_tabs->addTab(settingsGrid, tr("Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(px(135), px(180), px(135), px(135));
    m_state->setObjectName(QStringLiteral("state"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setWordWrap(true);
    layout->addWidget(m_state);
    layout->addWidget(m_tabs);
    m_uptime->setObjectName(QStringLiteral("uptime"));
    layout->addWidget(m_uptime);
    // The old layout's size, grown to what larger fonts need.
    resize(QSize(px(5340), px(6015)).expandedTo(minimumSizeHint()));

    m_showAction = m_menu->addAction(tr("&Show Window"), this, &ServerDetailsWindow::showPlayers);
    m_menu->setDefaultAction(m_showAction);
    m_menu->addAction(tr("&Close Window"), this, [this] { emit closeRequested(address()); });
    m_menu->addSeparator();
    m_menu->addAction(tr("&Refresh"), this, [this] { m_services.monitor.refreshServer(address()); });
    m_menu->addSeparator();
    m_cancelAutoJoinAction =
        m_menu->addAction(tr("&Cancel Auto-Join"), this, [this] { m_services.monitor.cancelAutoJoin(); });
    m_menu->addAction(tr("&Join Game"), this, &ServerDetailsWindow::join);
    addSnoozeMenu(m_menu, m_services.monitor, m_services.prompter, [this] { return address(); });
    m_menu->addSeparator();
    m_rconAction = m_menu->addAction(tr("&Remote Rcon"), this, [this] {
        m_console =
            RconWindow::open({m_services.context, m_services.prompter}, address(), m_icon.caption(), m_icon.game());
    });

    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (opensWindow(reason))
            showPlayers();
    });
    m_tray.setContextMenu(m_menu);
    // A StatusNotifier host reads the exported menu as it stands, with no context-menu request
    // first: between two grid pop-ups the menu is always the tray's.
    connect(m_menu, &QMenu::aboutToShow, this, [this] { prepareMenu(!m_gridPopup); });
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        m_gridPopup = false;
        prepareMenu(true);
    });
    prepareMenu(true);
}

ServerDetailsWindow::~ServerDetailsWindow() = default;

QTableView* ServerDetailsWindow::makeGrid(DetailsTableModel* model)
{
    auto* grid = new QTableView(this);
    auto* styled = new FriendRowStyle(m_services.context.settings.friendColour, grid);
    styled->setSourceModel(model);
    grid->setModel(styled);
    grid->setItemDelegate(new ColourCodeDelegate(grid));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->horizontalHeader()->setSectionsClickable(true);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, model, &DetailsTableModel::headerClicked);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
        m_gridPopup = true;
        m_menu->popup(grid->viewport()->mapToGlobal(at));
    });
    return grid;
}

void ServerDetailsWindow::prepareMenu(bool fromTray)
{
    m_showAction->setVisible(fromTray);
    m_cancelAutoJoinAction->setVisible(m_autoJoin);
}

void ServerDetailsWindow::loadServer(const QString& address,
                                     const QString& name,
                                     const QString& game,
                                     const QString& map)
{
    m_icon.loadServer(address, name, game, map);
    m_rconAction->setEnabled(hasRemoteConsole(game));
    setWindowTitle(plainTitle(m_icon.caption()));
    updateIcon();
    showUptime();
}

void ServerDetailsWindow::showUptime()
{
    const UptimeShares shares = m_services.monitor.uptime(address());
    m_uptime->setText(tr("Uptime: last day %1, week %2, 30 days %3")
                          .arg(UptimeLog::percent(shares.day, locale()),
                               UptimeLog::percent(shares.week, locale()),
                               UptimeLog::percent(shares.month, locale())));
}

void ServerDetailsWindow::update(const PlayerTable& players,
                                 int friendCount,
                                 const QString& map,
                                 const SettingsTable& settings,
                                 std::optional<qint32> maximum)
{
    m_maximum = maximum;
    m_settings->setRows(DetailsTableModel::settingRows(settings));
    m_players->setRows(DetailsTableModel::playerRows(players));
    const int count = static_cast<int>(players.size());
    if (m_icon.update(count, friendCount, map) && !m_services.monitor.alertsSnoozed(address())) {
        const AppSettings& appSettings = m_services.context.settings;
        if (appSettings.soundEnabled(SoundActivity))
            playWave(m_services.sound, appSettings.soundPath.at(SoundActivity), 0);
    }
    updateIcon();
    showUptime();
    if (m_autoJoin && PlayerCounts{count, m_maximum}.hasRoom()) {
        m_services.monitor.autoJoin().join(true, address(), m_icon.game(), {count, m_maximum});
        setAutoJoinFlag(m_services.monitor.isAutoJoin(address()));
    }
}

void ServerDetailsWindow::setTimeOut()
{
    m_icon.setTimeOut();
    updateIcon();
    showUptime();
}

void ServerDetailsWindow::setState(ServerState state, const QString& reason)
{
    m_state->setText(tr("State: ") + visibleText(shownStateLine(state, reason)));
    m_icon.setState(state, reason);
    updateIcon();
}

void ServerDetailsWindow::updateIcon()
{
    m_tray.setIcon(
        serverTrayIcon(m_icon, iconColoursFor(m_services.context.stores, m_services.context.settings, address())));
    // A StatusNotifier host gets the tip as its item's title, which hosts show as it stands or read
    // as simple markup: escaped text reads right on both. Qt's own tip needs the plain-text form.
    m_tray.setToolTip(trayKind() == TrayKind::StatusNotifier ? m_icon.tip().toHtmlEscaped() : plainTip(m_icon.tip()));
    if (trayKind() != TrayKind::None)
        m_tray.show();
}

void ServerDetailsWindow::join()
{
    // The full test reads this window's own grid and maximum.
    const PlayerCounts counts{static_cast<qint32>(m_players->rowCount()), m_maximum};
    m_services.monitor.autoJoin().join(false, address(), m_icon.game(), counts);
    // "Join when Free" arms this window as well as the status row.
    setAutoJoinFlag(m_services.monitor.isAutoJoin(address()));
}

void ServerDetailsWindow::showPlayers()
{
    m_tabs->setCurrentIndex(0);
    show();
    raise();
    activateWindow();
}

void ServerDetailsWindow::closeEvent(QCloseEvent* event)
{
    // The close box only hides: the window carries the server's tray icon. A close from the
    // program (quitting closes every window) goes through, or a shown window would stop the exit.
    if (!event->spontaneous()) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    hide();
}

} // namespace trevisk
