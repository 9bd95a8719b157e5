#include "dialogs/ServerDialog.h"

#include "core/Catalogue.h"
#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "dialogs/DialogParts.h"
#include "dialogs/IconColoursBox.h"
#include "icons/TrayIconPainter.h"
#include "session/Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace trevisk {

namespace {

// Entering the address or the port selects its whole text, so typing replaces it.
class SelectAllLineEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
    }
};

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

ServerDialog::ServerDialog(AppContext& context, Prompter& prompter, ErrorReporter& reporter, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_prompter(prompter)
    , m_reporter(reporter)
    , m_messageEditor([this](const QString& current) { return editCustomMessage(current, this); })
{
    setWindowTitle(tr("Add Server"));
    auto* server = new QGroupBox(tr("Server"), this);
    auto* serverLayout = new QGridLayout(server);
    m_address = named(new SelectAllLineEdit(server), "address");
    m_port = named(new SelectAllLineEdit(server), "port");
    m_game = named(new QComboBox(server), "game");
    m_game->addItem(QString());
    m_game->addItems(sortedGameList());
    m_queryPort = named(new QLineEdit(server), "queryPort");
    m_memo = named(new QLineEdit(server), "memo");
    const auto row = [&](int at, const char* label, QWidget* field, const char* note = nullptr) {
        auto* caption = new QLabel(tr(label), server);
        caption->setBuddy(field);
        serverLayout->addWidget(caption, at, 0, Qt::AlignRight);
        serverLayout->addWidget(field, at, 1);
        if (note)
            serverLayout->addWidget(new QLabel(tr(note), server), at, 2);
    };
    row(0, QT_TRANSLATE_NOOP("trevisk::ServerDialog", "*Address"), m_address);
    row(1, QT_TRANSLATE_NOOP("trevisk::ServerDialog", "*Port"), m_port);
    row(2, QT_TRANSLATE_NOOP("trevisk::ServerDialog", "*Game Type"), m_game);
    row(3,
        QT_TRANSLATE_NOOP("trevisk::ServerDialog", "Query Port"),
        m_queryPort,
        QT_TRANSLATE_NOOP("trevisk::ServerDialog", "0 for automatic"));
    row(4, QT_TRANSLATE_NOOP("trevisk::ServerDialog", "Short Memo"), m_memo);
    serverLayout->addWidget(new QLabel(tr("* Required"), server), 5, 1);
    m_address->setMinimumWidth(220);

    auto* settings = new QGroupBox(tr("Settings"), this);
    auto* settingsLayout = new QVBoxLayout(settings);
    m_tray = named(new QCheckBox(tr("Load to Tray at Startup"), settings), "tray");
    m_tray->setTristate(true);
    // Greyed: the setting "Default Servers to Load to Tray" decides.
    m_tray->setCheckState(context.settings.trayByDefault ? Qt::PartiallyChecked : Qt::Unchecked);
    m_manual = named(new QCheckBox(tr("Manual Refresh Only"), settings), "manualRefresh");
    m_noMail = named(new QCheckBox(tr("Don't Email Notify"), settings), "noMail");
    auto* custom = namedButton(tr("Custom Email Message"), "customEmail", settings);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_tray, m_manual, m_noMail, custom})
        settingsLayout->addWidget(widget);
    settingsLayout->addStretch();
    // The text stays with the dialog: it is written with the server, or dropped on "Cancel".
    connect(custom, &QPushButton::clicked, this, [this] {
        if (const auto text = m_messageEditor(m_customText))
            m_customText = *text;
    });

    m_icons = new IconColoursBox(prompter, context.settings.icons, this);

    m_save = namedButton(tr("&Save"), "save", this);
    m_save->setDefault(true);
    auto* cancel = namedButton(tr("&Cancel"), "cancel", this);
    connect(m_save, &QPushButton::clicked, this, &ServerDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_game, &QComboBox::activated, this, &ServerDialog::gameChosen);
    connect(&m_lookup, &HostLookup::finished, this, [this](const QString&, const QString& address) {
        QApplication::restoreOverrideCursor();
        m_save->setEnabled(true);
        finishSave(address);
    });

    auto* layout = new QGridLayout(this);
    layout->addWidget(server, 0, 0, 1, 2);
    layout->addWidget(settings, 1, 0);
    layout->addWidget(m_icons, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 2, 0, 1, 2);
}

ServerDialog::~ServerDialog()
{
    if (isLookingUp())
        QApplication::restoreOverrideCursor();
}

void ServerDialog::loadServer(const QString& address)
{
    setWindowTitle(tr("Edit Server"));
    m_tag = address;
    const auto& rows = m_context.stores.servers.rows;
    const auto record =
        std::find_if(rows.begin(), rows.end(), [&](const ServerRecord& row) { return row.addressText() == address; });
    if (record == rows.end())
        return;
    const HostPort split = splitAddress(address);
    m_address->setText(split.host);
    if (split.hasPort)
        m_port->setText(split.port);
    m_icons->setColours(iconColoursFor(m_context.stores, m_context.settings, address));
    const int tray = record->tray.value_or(0);
    m_tray->setCheckState(tray == 1 ? Qt::Checked : (tray == 2 ? Qt::PartiallyChecked : Qt::Unchecked));
    m_game->setCurrentText(record->gameText());
    m_manual->setChecked(record->manualRefresh.value_or(false));
    if (record->queryPort)
        m_queryPort->setText(QString::number(*record->queryPort));
    m_memo->setText(record->memo.value_or(QString()));
    m_noMail->setChecked(record->noAlertMail.value_or(false));
    for (const CustomMessage& message : m_context.stores.custEmail.rows) {
        if (message.server == address) {
            m_customText = message.message.value_or(QString());
            break;
        }
    }
}

void ServerDialog::gameChosen()
{
    // While editing, a port already there stays.
    if (m_tag.isEmpty() || m_port->text().isEmpty())
        m_port->setText(defaultPort(m_game->currentText()));
}

ServerForm ServerDialog::form() const
{
    ServerForm form;
    form.host = m_address->text();
    form.port = m_port->text();
    form.game = m_game->currentText();
    form.queryPort = m_queryPort->text();
    form.memo = m_memo->text();
    const Qt::CheckState tray = m_tray->checkState();
    form.tray = tray == Qt::Checked ? 1 : (tray == Qt::PartiallyChecked ? 2 : 0);
    form.manualRefresh = m_manual->isChecked();
    form.noAlertMail = m_noMail->isChecked();
    form.icons = m_icons->colours();
    form.customText = m_customText;
    return form;
}

bool ServerDialog::isLookingUp() const
{
    return m_lookup.isRunning();
}

void ServerDialog::save()
{
    if (isLookingUp())
        return;
    m_address->setText(m_address->text().trimmed());
    m_port->setText(m_port->text().trimmed());
    ServerFormCheck fields = checkServerFormFields(form(), false);
    if (fields.portMissing) {
        if (m_prompter.ask(tr("Port not specified, use default?"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
            != Prompter::Answer::Yes) {
            m_port->setFocus();
            return;
        }
        fields = checkServerFormFields(form(), true);
    }
    if (fields.host.isEmpty()) {
        refuse(fields);
        return;
    }
    if (!fields.needsLookup) {
        finishSave(fields.host);
        return;
    }
    // The window stays responsive while the name is looked up.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_save->setEnabled(false);
    m_lookup.start(fields.host);
}

void ServerDialog::finishSave(const QString& address)
{
    const ServerFormCheck check = completeServerForm(form(), m_tag, m_context.stores, address);
    if (!check.ok) {
        refuse(check);
        return;
    }
    if (const QString error = saveServerForm(m_context.stores, m_tag, check, m_customText); !error.isEmpty()) {
        m_reporter.report(error, ErrorNumber::FileWrite, QStringLiteral("cmdSave_Click()"));
        return;
    }
    m_savedAddress = check.address;
    emit saved(m_savedAddress);
    accept();
}

void ServerDialog::refuse(const ServerFormCheck& check)
{
    using Field = ServerFormCheck::Field;
    if (!check.message.isEmpty()) {
        if (check.title.isEmpty())
            m_prompter.tell(check.message, Prompter::Icon::Exclamation);
        else
            m_prompter.askTitled(check.title, check.message, Prompter::Icon::Exclamation, Prompter::Buttons::Ok);
    }
    QWidget* control = nullptr;
    switch (check.field) {
    case Field::Game:
        control = m_game;
        break;
    case Field::Address:
        control = m_address;
        break;
    case Field::Port:
        control = m_port;
        break;
    case Field::QueryPort:
        control = m_queryPort;
        break;
    case Field::Memo:
        control = m_memo;
        break;
    case Field::None:
        break;
    }
    if (control) {
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
}

std::optional<QString> editCustomMessage(const QString& current, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(ServerDialog::tr("Custom Email Message"));
    auto* text = named(new QPlainTextEdit(current, &dialog), "message");
    text->setAccessibleName(dialog.windowTitle());
    text->setMinimumSize(500, 286);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(ServerDialog::tr("&Save"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(ServerDialog::tr("&Cancel"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons, 0, Qt::AlignHCenter);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return text->toPlainText();
}

} // namespace trevisk
