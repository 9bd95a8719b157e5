#include "dialogs/EmailDialog.h"

#include "core/Version.h"
#include "dialogs/DialogParts.h"
#include "dialogs/QtPrompter.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace trevisk {

namespace {

constexpr char StoredPasswordHint[] = QT_TRANSLATE_NOOP("trevisk::EmailDialog", "stored; type a new one to replace it");

QLineEdit* lineEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

void showResultBox(QWidget* parent, const QString& text, Prompter::Icon icon, const QString& details)
{
    auto* box = new QMessageBox(messageBoxIcon(icon), QString::fromLatin1(ProductName), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The mail server's own words may be part of the text.
    box->setTextFormat(Qt::PlainText);
    if (!details.isEmpty())
        box->setDetailedText(details);
    // Window-modal and not exec(): the mailer's socket still needs the event loop to say goodbye.
    box->open();
}

EmailDialog::EmailDialog(QSettings& store,
                         Prompter& prompter,
                         ErrorReporter& reporter,
                         const Clock& clock,
                         std::function<void()> changed,
                         QWidget* parent)
    : QDialog(parent)
    , m_store(store)
    , m_prompter(prompter)
    , m_reporter(reporter)
    , m_changed(std::move(changed))
    , m_showResult([this](const QString& text, Prompter::Icon icon, const QString& details) {
        showResultBox(this, text, icon, details);
    })
    , m_mailer(clock, this)
    , m_defaultFrom(EmailSettings::defaultFrom())
{
    setWindowTitle(tr(Caption));
    setObjectName(QStringLiteral("frmEmail"));

    auto* frame = new QGroupBox(tr("Settings"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_email = lineEdit("txtEmail", frame);
    m_smtp = lineEdit("txtSMTP", frame);
    m_smtp->setPlaceholderText(tr("host or host:port"));
    m_security = new QComboBox(frame);
    m_security->setObjectName(QStringLiteral("cmbSecurity"));
    m_security->addItem(tr("None"), QStringLiteral("none"));
    m_security->addItem(QStringLiteral("STARTTLS"), QStringLiteral("starttls"));
    m_security->addItem(QStringLiteral("TLS"), QStringLiteral("tls"));
    m_user = lineEdit("txtUser", frame);
    m_user->setPlaceholderText(tr("empty: no login"));
    m_password = lineEdit("txtPassword", frame);
    m_password->setEchoMode(QLineEdit::Password);
    m_from = lineEdit("txtFrom", frame);
    m_from->setPlaceholderText(m_defaultFrom);
    m_caFile = lineEdit("txtCAFile", frame);
    m_caFile->setPlaceholderText(tr("the system's authorities"));
    auto* caBrowse = new QPushButton(QStringLiteral("..."), frame);
    caBrowse->setObjectName(QStringLiteral("cmdCAFile"));
    caBrowse->setAccessibleName(tr("Browse for the CA file"));
    caBrowse->setFixedWidth(caBrowse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    m_timeOuts = new QComboBox(frame);
    m_timeOuts->setObjectName(QStringLiteral("cmbTimeouts"));
    m_timeOuts->addItems(timeOutEntries());
    m_interval = new QComboBox(frame);
    m_interval->setObjectName(QStringLiteral("cmbInterval"));
    for (const IntervalEntry& entry : intervalEntries())
        m_interval->addItem(QCoreApplication::translate("EmailSettings", entry.text.toUtf8().constData()),
                            static_cast<int>(entry.minutes));
    m_enable = new QCheckBox(tr("Enable Notification"), frame);
    m_enable->setObjectName(QStringLiteral("chkEnable"));

    auto* grid = new QGridLayout(frame);
    int row = 0;
    const auto label = [&](const char* text, QWidget* buddy) {
        auto* l = new QLabel(tr(text), frame);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setBuddy(buddy);
        grid->addWidget(l, row, 0);
    };
    const auto fullRow = [&](const char* text, QWidget* field) {
        label(text, field);
        grid->addWidget(field, row++, 1, 1, 4);
    };
    fullRow(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Email To"), m_email);
    fullRow(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "SMTP Server"), m_smtp);
    label(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Security"), m_security);
    grid->addWidget(m_security, row++, 1, 1, 2);
    fullRow(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "User"), m_user);
    fullRow(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Password"), m_password);
    fullRow(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "From"), m_from);
    label(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "CA File"), m_caFile);
    grid->addWidget(m_caFile, row, 1, 1, 3);
    grid->addWidget(caBrowse, row++, 4);
    label(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Send after"), m_timeOuts);
    grid->addWidget(m_timeOuts, row, 1);
    grid->addWidget(new QLabel(tr("timeouts."), frame), row, 2);
    grid->addWidget(m_enable, row++, 3, 1, 2, Qt::AlignRight);
    label(QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Send new email every"), m_interval);
    grid->addWidget(m_interval, row++, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    setTabOrder(m_timeOuts, m_enable);
    setTabOrder(m_enable, m_interval);

    auto* save = new QPushButton(tr("&Save"), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_test = new QPushButton(tr("&Test"), this);
    m_test->setObjectName(QStringLiteral("cmdTest"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {save, cancel, m_test})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(save, &QPushButton::clicked, this, &EmailDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_test, &QPushButton::clicked, this, &EmailDialog::sendTest);
    connect(caBrowse, &QPushButton::clicked, this, &EmailDialog::browseCaFile);
    connect(&m_mailer, &SmtpMailer::sendComplete, this, [this] { testFinished(true, {}); });
    connect(&m_mailer, &SmtpMailer::error, this, [this](const QString& description, int) {
        testFinished(false, description);
    });
    load();
    resize(440, sizeHint().height());
}

void EmailDialog::load()
{
    const EmailSettings s = EmailSettings::load(m_store);
    // A text the list does not offer is kept, so saving does not change what it cannot show.
    if (m_timeOuts->findText(s.timeOuts) < 0)
        m_timeOuts->addItem(s.timeOuts);
    m_timeOuts->setCurrentIndex(m_timeOuts->findText(s.timeOuts));
    m_email->setText(s.email);
    m_smtp->setText(s.smtp);
    m_enable->setChecked(s.enabled);
    m_interval->setCurrentIndex(s.intervalIndex());

    const std::optional<SmtpSecurity> security = parseSmtpSecurity(s.security);
    int securityIndex = security ? static_cast<int>(*security) : -1;
    if (!security) {
        m_security->addItem(s.security, s.security);
        securityIndex = m_security->count() - 1;
    }
    m_security->setCurrentIndex(securityIndex);
    m_user->setText(s.user);
    // The password is never shown back; the box only says that one is kept.
    m_storedPassword = s.password;
    if (!m_storedPassword.isEmpty())
        m_password->setPlaceholderText(tr(StoredPasswordHint));
    m_from->setText(s.from == m_defaultFrom ? QString() : s.from);
    m_caFile->setText(s.caFile);
}

EmailSettings EmailDialog::onScreen() const
{
    EmailSettings s;
    s.enabled = m_enable->isChecked();
    s.email = m_email->text();
    s.smtp = m_smtp->text();
    s.timeOuts = m_timeOuts->currentText();
    s.interval = static_cast<qint16>(m_interval->currentData().toInt());
    s.security = m_security->currentData().toString();
    s.user = m_user->text();
    s.password = m_password->text().isEmpty() ? m_storedPassword : m_password->text();
    // Without a user nothing logs in, and a stored password would only be a secret left lying around.
    if (s.user.isEmpty())
        s.password.clear();
    s.from = m_from->text().trimmed();
    if (s.from.isEmpty())
        s.from = m_defaultFrom;
    s.caFile = m_caFile->text();
    return s;
}

void EmailDialog::save()
{
    finishSave(*this, m_reporter, onScreen().save(m_store), "cmdSave_Click()", m_changed);
}

void EmailDialog::sendTest()
{
    // Disabled first: a mail that cannot even start fails inside send().
    m_test->setEnabled(false);
    onScreen().prepareTestMail(m_mailer);
    m_mailer.send();
}

void EmailDialog::testFinished(bool sent, const QString& reason)
{
    m_test->setEnabled(true);
    if (sent)
        m_showResult(tr(SentText), Prompter::Icon::Information, QString());
    else
        m_showResult(tr(FailedText), Prompter::Icon::Critical, reason);
}

void EmailDialog::browseCaFile()
{
    const QString path = m_prompter.openFileName(
        tr("Certificate Authorities"), tr("Certificates (*.pem *.crt *.cer);;All Files (*)"), m_caFile->text());
    if (!path.isEmpty())
        m_caFile->setText(path);
}

} // namespace trevisk
