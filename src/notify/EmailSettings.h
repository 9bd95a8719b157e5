#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QSettings;

namespace trevisk {

class SmtpMailer;
class Stores;

// An entry of the repeat list and the minutes stored for it (-1: one mail per outage).
struct IntervalEntry
{
    QString text;
    qint16 minutes = -1;
};

// The alert mail settings of section "EmailNotify", with the one set of defaults that the
// alert, the dialog and the test mail all use.
struct EmailSettings
{
    static constexpr char Section[] = "EmailNotify";

    bool enabled = false;
    QString email;                          // recipient
    QString smtp;                           // "host" or "host:port"
    QString timeOuts = QStringLiteral("2"); // as the list shows it
    qint16 interval = -1;                   // minutes between repeated mails; below 1: once per outage
    QString security = QStringLiteral("none");
    QString user; // empty: no authentication
    QString password;
    QString from; // sender of alert and test mail
    QString caFile;

    static EmailSettings load(QSettings& store);
    // Writes every key and syncs. A store that holds a password is made readable by its owner only.
    // Returns what failed, or an empty text.
    QString save(QSettings& store) const;

    // The time-outs after which the first mail goes out; a text that is no number counts as the default.
    int timeOutThreshold() const;
    // The dialog's list position for `interval`; a value that is no entry shows as "Only Once".
    int intervalIndex() const;

    // Prepares a mailer for a mail of this program: reset, then the sender, server and credentials.
    void prepare(SmtpMailer& mailer) const;
    // Prepares the test mail of the settings dialog (to `email` through `smtp`).
    void prepareTestMail(SmtpMailer& mailer) const;

    static QString defaultFrom();
};

inline constexpr char TestMailSubject[] = "Testing Trevisk Email Notification";
inline constexpr char TestMailText[] = "This is a test of the Trevisk email notification system\r\n\r\n"
                                       "This is an automated message, do not reply!";
inline constexpr char MailFromName[] = "Trevisk";

// "2" to "10", as the time-out list offers them.
QStringList timeOutEntries();
const std::vector<IntervalEntry>& intervalEntries();

// The custom alert text of a server, or an empty text when it has none (or the address is empty).
QString loadCustomMessage(const Stores& stores, const QString& address);
// Sets the text of one server (replacing its record, else adding one) and writes custemail.dat.
// On failure the table in memory stays as it was. Returns what failed, or an empty text.
QString saveCustomMessage(Stores& stores, const QString& address, const QString& message);

} // namespace trevisk
