#include "dialogs/MapEntryDialog.h"

#include "core/Catalogue.h"
#include "core/Prompter.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace trevisk {

MapEntryDialog::MapEntryDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_games(new QComboBox(this))
    , m_map(new QLineEdit(this))
{
    setWindowTitle(tr("Add Map"));
    setObjectName(QStringLiteral("frmAddMap"));
    m_games->setObjectName(QStringLiteral("cmbGames"));
    m_games->addItems(sortedGameList());
    m_games->setCurrentIndex(-1);
    m_games->setMaxVisibleItems(16);
    m_map->setObjectName(QStringLiteral("txtMap"));
    m_map->setMaxLength(255);

    auto* ok = new QPushButton(tr("&Save"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* fields = new QFormLayout;
    fields->addRow(tr("Game"), m_games);
    fields->addRow(tr("Map Name"), m_map);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &MapEntryDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(320, sizeHint().height());
}

void MapEntryDialog::setMap(const QString& game, const QString& map)
{
    setWindowTitle(tr("Edit Map"));
    m_games->setCurrentIndex(m_games->findText(game));
    m_map->setText(map);
}

MapEntry MapEntryDialog::entry() const
{
    return {m_games->currentText(), m_map->text()};
}

void MapEntryDialog::accept()
{
    if (m_games->currentText().isEmpty()) {
        m_prompter.tell(tr("You must specify a game!"), Prompter::Icon::Exclamation);
        m_games->setFocus();
        return;
    }
    if (m_map->text().isEmpty()) {
        m_prompter.tell(tr("You must specify a map name!"), Prompter::Icon::Exclamation);
        m_map->selectAll();
        m_map->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace trevisk
