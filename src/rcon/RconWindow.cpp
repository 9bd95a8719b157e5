#include "rcon/RconWindow.h"

#include "core/ErrorReporter.h"
#include "core/ErrorText.h"
#include "core/Prompter.h"
#include "core/Routines.h"
#include "rcon/RconClient.h"
#include "rcon/RconPasswords.h"
#include "session/Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextEdit>
#include <QVBoxLayout>

namespace trevisk {

namespace {

// The log's colours on its white page: commands sent, the challenge's "Ready..." and notices,
// the server's replies (a red dark enough to read on white).
const QColor SentColour(0, 0, 255);
const QColor PlainColour(0, 0, 0);
const QColor ReplyColour(210, 0, 0);

QStringList listedAddresses(const AppContext& context)
{
    QStringList out;
    for (const ServerRecord& record : context.stores.servers.rows)
        out << record.address.value_or(QString());
    return out;
}

} // namespace

RconWindow::RconWindow(const RconWindowServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_services(services)
    , m_client(new RconClient(this))
    , m_password(new QLineEdit(this))
    , m_remember(new QCheckBox(tr("Remember Password"), this))
    , m_command(new QComboBox(this))
    , m_send(new QPushButton(tr("&Send"), this))
    , m_response(new QTextEdit(this))
    , m_note(new QLabel(this))
{
    setWindowTitle(tr("Remote RCON"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 420);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_remember->setObjectName(QStringLiteral("remember"));
    m_command->setObjectName(QStringLiteral("command"));
    m_command->setEditable(true);
    m_command->setInsertPolicy(QComboBox::NoInsert);
    m_command->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_send->setObjectName(QStringLiteral("send"));
    m_response->setObjectName(QStringLiteral("response"));
    m_response->setReadOnly(true);
    // Replies are the server's text: inserted as text, and nothing dropped on the log becomes markup.
    m_response->setAcceptRichText(false);
    m_response->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The log's colours are its own, so its page is too: a dark palette would swallow the black.
    QPalette page = m_response->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    m_response->setPalette(page);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    m_note->hide();

    auto* top = new QGroupBox(tr("Remote Rcon"), this);
    auto* grid = new QGridLayout(top);
    auto* passwordLabel = new QLabel(tr("Rcon Password"), top);
    passwordLabel->setBuddy(m_password);
    grid->addWidget(passwordLabel, 0, 0);
    grid->addWidget(m_password, 0, 1);
    grid->addWidget(m_remember, 0, 2);
    auto* commandLabel = new QLabel(tr("Command To Send"), top);
    commandLabel->setBuddy(m_command);
    grid->addWidget(commandLabel, 1, 0);
    grid->addWidget(m_command, 1, 1);
    grid->addWidget(m_send, 1, 2);
    grid->addWidget(m_note, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    auto* bottom = new QGroupBox(tr("Server Response"), this);
    auto* bottomLayout = new QVBoxLayout(bottom);
    m_response->setAccessibleName(bottom->title());
    bottomLayout->addWidget(m_response);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addWidget(bottom, 1);

    connect(m_send, &QPushButton::clicked, this, &RconWindow::sendCommand);
    m_command->lineEdit()->installEventFilter(this);
    connect(m_remember, &QCheckBox::toggled, this, &RconWindow::savePassword);
    connect(m_client, &RconClient::challengeReceived, this, [this] {
        addText(QCoreApplication::translate("RconProtocol", ReadyText) + QLatin1Char('\n'), PlainColour);
    });
    connect(m_client, &RconClient::replied, this, &RconWindow::addReply);
    connect(m_client, &RconClient::noAnswer, this, [this] {
        addText(tr("No answer from the server within %1 seconds.")
                    .arg(QString::number(m_client->answerTimeout().count() / 1000.0)),
                PlainColour);
    });
    connect(m_client, &RconClient::refused, this, [this] {
        m_services.prompter.tell(QCoreApplication::translate("RconProtocol", OfflineText), Prompter::Icon::Exclamation);
    });
    connect(m_client, &RconClient::failed, this, [this](const QString& description, int number, bool whileSending) {
        report(
            description, number, whileSending ? QStringLiteral("cmdSend_Click()") : QStringLiteral("WR_DataArrival()"));
    });
}

RconWindow::~RconWindow() = default;

bool RconWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Return sends; taken here, since the line edit passes it on to the combo box, which would act on it again.
    if (watched == m_command->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            sendCommand();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

RconWindow* RconWindow::find(const QString& address)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<RconWindow*>(widget);
        if (window && window->address() == address)
            return window;
    }
    return nullptr;
}

RconWindow*
RconWindow::open(const RconWindowServices& services, const QString& address, const QString& name, const QString& game)
{
    RconWindow* window = find(address);
    if (!window) {
        // A top-level window of its own that deletes itself on close, so it outlives whichever window opened it.
        window = new RconWindow(services); // NOLINT: owned by Qt through WA_DeleteOnClose
        window->loadServer(address, name, game);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void RconWindow::loadServer(const QString& address, const QString& name, const QString& game)
{
    m_address = address;
    m_game = game;
    setWindowTitle(tr("Remote Rcon for: ") + plainTitle(name.isEmpty() ? address : name));
    const RconPasswords passwords(*m_services.context.settingsStore, listedAddresses(m_services.context));
    const QString remembered = passwords.load(address);
    m_password->setText(remembered);
    {
        const QSignalBlocker blocker(m_remember);
        m_remember->setChecked(!remembered.isEmpty());
    }
    if (!remembered.isEmpty())
        m_command->setFocus();
    if (!m_client->open(game, address))
        addText(tr("The address %1 names no host and port for %2.").arg(address, game), PlainColour);
}

void RconWindow::savePassword()
{
    RconPasswords passwords(*m_services.context.settingsStore, listedAddresses(m_services.context));
    const RconPasswords::Saved saved = passwords.save(m_address,
                                                      m_password->text(),
                                                      m_remember->isChecked(),
                                                      m_services.context.settings.encryptRcon,
                                                      *QRandomGenerator::global());
    m_note->setText(tr("This password is remembered as typed: the scrambled form cannot carry its "
                       "characters."));
    m_note->setVisible(saved.plain);
    if (!saved.error.isEmpty())
        report(saved.error, ErrorNumber::FileWrite, QStringLiteral("cmdSend_Click()"));
}

void RconWindow::sendCommand()
{
    const QString command = m_command->currentText();
    if (command.isEmpty())
        return;
    const int known = m_command->findText(command, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (known >= 0)
        m_command->removeItem(known);
    m_command->insertItem(0, command);
    m_command->setCurrentIndex(0);
    savePassword();
    m_client->send(m_password->text(), command);
    addText(QLatin1Char('>') + command, SentColour);
    m_command->lineEdit()->selectAll();
    m_command->setFocus();
}

void RconWindow::addText(const QString& text, const QColor& colour)
{
    if (!atLineStart())
        insert(QStringLiteral("\n"), colour);
    insert(text + QLatin1Char('\n'), colour);
    m_inReply = false;
}

void RconWindow::addReply(const QByteArray& text)
{
    if (text.isEmpty()) {
        addText(QCoreApplication::translate("RconProtocol", CommandAcceptedText), ReplyColour);
        return;
    }
    // The datagrams of one long reply are joined as they come: a line may be cut across two.
    if (!m_inReply && !atLineStart())
        insert(QStringLiteral("\n"), ReplyColour);
    insert(rconDisplayText(text), ReplyColour);
    m_inReply = true;
}

bool RconWindow::atLineStart() const
{
    const QTextDocument* document = m_response->document();
    // The document always ends with a paragraph separator of its own.
    return document->isEmpty() || document->characterAt(document->characterCount() - 2) == QChar::ParagraphSeparator;
}

void RconWindow::insert(const QString& text, const QColor& colour)
{
    QTextCursor cursor(m_response->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.insertText(text, format);
    m_response->setTextCursor(cursor);
    m_response->ensureCursorVisible();
}

void RconWindow::report(const QString& description, int number, const QString& procedure)
{
    if (m_services.reporter)
        m_services.reporter->report(description, number, procedure);
    else
        m_services.prompter.tell(shownErrorText(description, number, procedure), Prompter::Icon::Critical);
}

} // namespace trevisk
