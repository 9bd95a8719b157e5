#include "notify/EmailSettings.h"

#include "core/Settings.h"
#include "core/Translations.h"
#include "notify/SmtpMailer.h"
#include "store/Stores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QSettings>

#include <algorithm>

namespace trevisk {

namespace {

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

QString section()
{
    return QString::fromLatin1(EmailSettings::Section);
}

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

QString EmailSettings::defaultFrom()
{
    QString host = QHostInfo::localHostName();
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    return QStringLiteral("trevisk@") + host;
}

EmailSettings EmailSettings::load(QSettings& store)
{
    EmailSettings s;
    s.enabled = readText(store, section(), key("Enable"), QStringLiteral("0")) == QLatin1String("1");
    s.email = readText(store, section(), key("Email"), s.email);
    s.smtp = readText(store, section(), key("SMTP"), s.smtp);
    s.timeOuts = readText(store, section(), key("TimeOuts"), s.timeOuts);
    s.interval = readInt16(store, section(), key("Interval"), s.interval);
    s.security = readText(store, section(), key("Security"), s.security);
    s.user = readText(store, section(), key("User"), s.user);
    s.password = readText(store, section(), key("Password"), s.password);
    // An emptied sender would make every mail fail; it means the default.
    s.from = readText(store, section(), key("From"), QString()).trimmed();
    if (s.from.isEmpty())
        s.from = defaultFrom();
    s.caFile = readText(store, section(), key("CAFile"), s.caFile);
    return s;
}

QString EmailSettings::save(QSettings& store) const
{
    const QString path = store.fileName();
    // Tighten the file before the password reaches it; a rewrite keeps the mode.
    if (!password.isEmpty() && store.format() == QSettings::IniFormat) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.exists() && !file.open(QIODevice::WriteOnly))
            return Translations::text("EmailSettings",
                                      QT_TRANSLATE_NOOP("EmailSettings", "The settings file %1 cannot be created: %2"))
                .arg(path, file.errorString());
        file.close();
        if (!file.setPermissions(OwnerOnly))
            return Translations::text(
                       "EmailSettings",
                       QT_TRANSLATE_NOOP("EmailSettings", "The settings file %1 cannot be made private: %2"))
                .arg(path, file.errorString());
    }
    writeText(store, section(), key("SMTP"), smtp);
    writeText(store, section(), key("Email"), email);
    writeText(store, section(), key("TimeOuts"), timeOuts);
    writeText(store, section(), key("Interval"), QString::number(interval));
    writeText(store, section(), key("Enable"), enabled ? QStringLiteral("1") : QStringLiteral("0"));
    writeText(store, section(), key("Security"), security);
    writeText(store, section(), key("User"), user);
    writeText(store, section(), key("Password"), password);
    // The default follows the host name, so it is kept as "empty" rather than frozen.
    writeText(store, section(), key("From"), from == defaultFrom() ? QString() : from);
    writeText(store, section(), key("CAFile"), caFile);
    store.sync();
    if (store.status() != QSettings::NoError)
        return Translations::text("EmailSettings",
                                  QT_TRANSLATE_NOOP("EmailSettings", "The settings could not be written to %1."))
            .arg(path);
    if (!password.isEmpty() && store.format() == QSettings::IniFormat && !QFile::setPermissions(path, OwnerOnly))
        return Translations::text("EmailSettings",
                                  QT_TRANSLATE_NOOP("EmailSettings", "The settings file %1 cannot be made private."))
            .arg(path);
    return {};
}

int EmailSettings::timeOutThreshold() const
{
    return toInt16(timeOuts).value_or(2);
}

int EmailSettings::intervalIndex() const
{
    const auto& entries = intervalEntries();
    const auto found = std::find_if(
        entries.cbegin(), entries.cend(), [this](const IntervalEntry& entry) { return entry.minutes == interval; });
    return found == entries.cend() ? 0 : static_cast<int>(found - entries.cbegin());
}

void EmailSettings::prepare(SmtpMailer& mailer) const
{
    mailer.reset();
    SmtpMessage message = mailer.message();
    message.from = from;
    message.fromName = QString::fromLatin1(MailFromName);
    message.to = email;
    mailer.setMessage(message);
    mailer.setConnection({smtp, security, user, password, caFile});
}

void EmailSettings::prepareTestMail(SmtpMailer& mailer) const
{
    prepare(mailer);
    SmtpMessage message = mailer.message();
    message.subject = QString::fromLatin1(TestMailSubject);
    message.text = QString::fromLatin1(TestMailText);
    mailer.setMessage(message);
}

QStringList timeOutEntries()
{
    QStringList entries;
    for (int count = 2; count <= 10; ++count)
        entries << QString::number(count);
    return entries;
}

// The texts in English; a window shows them translated in the context "EmailSettings".
const std::vector<IntervalEntry>& intervalEntries()
{
    static const std::vector<IntervalEntry> entries{
        {QStringLiteral(QT_TRANSLATE_NOOP("EmailSettings", "Only Once")), -1},
        {QStringLiteral(QT_TRANSLATE_NOOP("EmailSettings", "30 Minutes")), 30},
        {QStringLiteral(QT_TRANSLATE_NOOP("EmailSettings", "1 Hour")), 60},
        {QStringLiteral(QT_TRANSLATE_NOOP("EmailSettings", "2 Hours")), 120},
        {QStringLiteral(QT_TRANSLATE_NOOP("EmailSettings", "6 Hours")), 360},
    };
    return entries;
}

QString loadCustomMessage(const Stores& stores, const QString& address)
{
    if (address.isEmpty())
        return {};
    const auto& rows = stores.custEmail.rows;
    const auto found =
        std::find_if(rows.cbegin(), rows.cend(), [&](const CustomMessage& record) { return record.server == address; });
    return found == rows.cend() ? QString() : found->message.value_or(QString());
}

QString saveCustomMessage(Stores& stores, const QString& address, const QString& message)
{
    if (address.isEmpty())
        return Translations::text("EmailSettings",
                                  QT_TRANSLATE_NOOP("EmailSettings", "No server is chosen for the message."));
    const RecordTable<CustomMessage> previous = stores.custEmail;
    auto& rows = stores.custEmail.rows;
    auto found =
        std::find_if(rows.begin(), rows.end(), [&](const CustomMessage& record) { return record.server == address; });
    if (found == rows.end()) {
        rows.emplace_back();
        found = rows.end() - 1;
    }
    found->server = address;
    found->message = message;
    QString failure = stores.saveCustEmail();
    if (!failure.isEmpty())
        stores.custEmail = previous;
    return failure;
}

} // namespace trevisk
