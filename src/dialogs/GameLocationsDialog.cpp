#include "dialogs/GameLocationsDialog.h"

#include "core/Catalogue.h"
#include "core/Prompter.h"
#include "dialogs/DialogParts.h"
#include "store/ListRules.h"
#include "store/Stores.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace trevisk {

GameLocationsDialog::GameLocationsDialog(
    Stores& stores, Prompter& prompter, ErrorReporter& reporter, std::function<void()> changed, QWidget* parent)
    : QDialog(parent)
    , m_stores(stores)
    , m_prompter(prompter)
    , m_reporter(reporter)
    , m_changed(std::move(changed))
    , m_working(stores.gamePaths)
    , m_games(new QComboBox(this))
    , m_path(new QLineEdit(this))
    , m_params(new QLineEdit(this))
{
    setWindowTitle(tr(Caption));
    setObjectName(QStringLiteral("frmGameLocations"));
    m_games->setObjectName(QStringLiteral("cmbGame"));
    m_games->setMaxVisibleItems(16);
    m_games->setAccessibleName(tr("Game"));
    for (const GameInfo& info : games())
        m_games->addItem(info.game);
    m_path->setObjectName(QStringLiteral("txtPath"));
    m_path->setMaxLength(255);
    m_params->setObjectName(QStringLiteral("txtParams"));
    m_params->setMaxLength(255);
    auto* open = new QPushButton(QStringLiteral("..."), this);
    open->setObjectName(QStringLiteral("cmbOpen"));
    open->setAccessibleName(tr("Browse for the game"));
    open->setFixedWidth(open->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);

    auto* gameFrame = new QGroupBox(tr("Game"), this);
    auto* gameLayout = new QVBoxLayout(gameFrame);
    gameLayout->addWidget(m_games);

    auto* settingsFrame = new QGroupBox(tr("Settings"), this);
    auto* settingsLayout = new QGridLayout(settingsFrame);
    auto* pathLabel = new QLabel(tr("Game path"), settingsFrame);
    pathLabel->setBuddy(m_path);
    auto* paramsLabel = new QLabel(tr("Optional Parameters"), settingsFrame);
    paramsLabel->setBuddy(m_params);
    settingsLayout->addWidget(pathLabel, 0, 0, 1, 2);
    settingsLayout->addWidget(m_path, 1, 0);
    settingsLayout->addWidget(open, 1, 1);
    settingsLayout->addWidget(paramsLabel, 2, 0, 1, 2);
    settingsLayout->addWidget(m_params, 3, 0, 1, 2);

    setTabOrder(m_path, open);
    setTabOrder(open, m_params);

    QBoxLayout* buttons = listEditorButtons(*this, QBoxLayout::LeftToRight, "cmdSave", {.save = [this] { save(); }});
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gameFrame);
    layout->addWidget(settingsFrame);
    layout->addStretch();
    layout->addLayout(buttons);

    m_games->setCurrentIndex(0);
    m_shownGame = m_games->currentText();
    showGame(m_shownGame);
    connect(m_games, &QComboBox::currentIndexChanged, this, &GameLocationsDialog::switchGame);
    connect(open, &QPushButton::clicked, this, &GameLocationsDialog::browse);
    resize(420, sizeHint().height());
}

QString GameLocationsDialog::browseFilter()
{
#ifdef Q_OS_WIN
    return tr("Applications (*.exe)");
#else
    return tr("Applications (*)");
#endif
}

void GameLocationsDialog::showGame(const QString& game)
{
    const GamePath* row = findGamePath(m_working.rows, game);
    m_params->setText(row ? row->params.value_or(QString()) : QString());
    m_path->setText(row ? row->path.value_or(QString()) : QString());
}

void GameLocationsDialog::commitShown()
{
    if (!m_shownGame.isEmpty())
        setGamePath(m_working.rows, m_shownGame, m_path->text(), m_params->text());
}

void GameLocationsDialog::switchGame()
{
    commitShown();
    m_shownGame = m_games->currentText();
    showGame(m_shownGame);
}

void GameLocationsDialog::browse()
{
    const QString path = m_prompter.openFileName(tr("Path to ") + m_games->currentText(), browseFilter(), QString());
    if (!path.isEmpty())
        m_path->setText(path);
}

void GameLocationsDialog::save()
{
    commitShown();
    finishSave(*this, m_reporter, commitGamePaths(m_stores, m_working), "cmdSave_Click()", m_changed);
}

} // namespace trevisk
