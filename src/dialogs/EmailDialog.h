#pragma once

#include "core/Prompter.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSettings;

namespace trevisk {

class Clock;
class ErrorReporter;

// The outcome of a test mail: the text, its icon and, for a failure, the mailer's reason.
using ResultBox = std::function<void(const QString& text, Prompter::Icon icon, const QString& details)>;
// The outcome as a window-modal message box over `parent`, the reason under "Show Details...".
void showResultBox(QWidget* parent, const QString& text, Prompter::Icon icon, const QString& details);

// The alert mail settings. "&Save" writes them; "&Test" mails the values on screen, saved or not,
// through a mailer of its own, and the window stays usable while it does.
class EmailDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Email Notification");
    static constexpr char SentText[] = QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Mail Sent!");
    static constexpr char FailedText[] = QT_TRANSLATE_NOOP("trevisk::EmailDialog", "Test Failed!");

    EmailDialog(QSettings& store,
                Prompter& prompter,
                ErrorReporter& reporter,
                const Clock& clock,
                std::function<void()> changed,
                QWidget* parent = nullptr);

    void setResultBox(ResultBox box) { m_showResult = std::move(box); }
    SmtpMailer& mailer() { return m_mailer; }
    // The settings as the boxes hold them; an empty password box means the stored password.
    EmailSettings onScreen() const;

private:
    void load();
    void save();
    void sendTest();
    void testFinished(bool sent, const QString& reason);
    void browseCaFile();

    QSettings& m_store;
    Prompter& m_prompter;
    ErrorReporter& m_reporter;
    std::function<void()> m_changed;
    ResultBox m_showResult;
    SmtpMailer m_mailer;
    QString m_storedPassword;
    QString m_defaultFrom;

    QLineEdit* m_email;
    QLineEdit* m_smtp;
    QComboBox* m_security;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_from;
    QLineEdit* m_caFile;
    QComboBox* m_timeOuts;
    QComboBox* m_interval;
    QCheckBox* m_enable;
    QPushButton* m_test;
};

} // namespace trevisk
