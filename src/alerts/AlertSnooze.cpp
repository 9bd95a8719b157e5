#include "alerts/AlertSnooze.h"

#include "core/Translations.h"

#include <QCoreApplication>
#include <QLocale>

namespace trevisk {

AlertSnooze::AlertSnooze(QString filePath, std::chrono::milliseconds lockWait)
    : m_path(std::move(filePath))
    , m_lockWait(lockWait)
{}

QString AlertSnooze::load()
{
    m_until.clear();
    if (m_path.isEmpty())
        return {};
    const ReadOutcome outcome = readRecordFile(m_path);
    if (!outcome.exists)
        return {};
    RecordTable<SnoozeRecord> table;
    QString error = outcome.table ? table.fromRaw(*outcome.table) : outcome.error;
    if (!error.isEmpty())
        return error;
    for (const SnoozeRecord& record : table.rows) {
        if (record.address && !record.address->isEmpty())
            m_until.insert(*record.address, record.until.value_or(QDateTime()));
    }
    return {};
}

QString AlertSnooze::save(const QDateTime& now)
{
    if (m_path.isEmpty())
        return {};
    RecordTable<SnoozeRecord> table;
    for (auto it = m_until.cbegin(); it != m_until.cend(); ++it) {
        // Ended snoozes are dropped here rather than by a timer: the file only holds live ones.
        if (it.value().isValid() && it.value() <= now)
            continue;
        SnoozeRecord record;
        record.address = it.key();
        if (it.value().isValid())
            record.until = it.value().toLocalTime();
        table.rows.push_back(record);
    }
    std::sort(table.rows.begin(), table.rows.end(), [](const SnoozeRecord& a, const SnoozeRecord& b) {
        return *a.address < *b.address;
    });
    return writeRecordFile(m_path, table.toRaw());
}

QString AlertSnooze::snooze(const QString& address, SnoozeLength length, const QDateTime& now)
{
    std::optional<ChangeLock> lock;
    if (!m_path.isEmpty() && !lock.emplace(m_path, m_lockWait).held())
        return lock->failure()
               + Translations::text("AlertSnooze", QT_TRANSLATE_NOOP("AlertSnooze", "; nothing was changed"));
    // An unreadable file is replaced rather than blocking the user's snooze.
    load();
    m_until.insert(address, endOf(length, now));
    return save(now);
}

QString AlertSnooze::resume(const QString& address)
{
    std::optional<ChangeLock> lock;
    if (!m_path.isEmpty() && !lock.emplace(m_path, m_lockWait).held())
        return lock->failure()
               + Translations::text("AlertSnooze", QT_TRANSLATE_NOOP("AlertSnooze", "; nothing was changed"));
    load();
    m_until.remove(address);
    return save(QDateTime());
}

bool AlertSnooze::isSnoozed(const QString& address, const QDateTime& now) const
{
    return snoozedUntil(address, now).has_value();
}

std::optional<QDateTime> AlertSnooze::snoozedUntil(const QString& address, const QDateTime& now) const
{
    const auto it = m_until.constFind(address);
    if (it == m_until.cend() || (it->isValid() && *it <= now))
        return std::nullopt;
    return *it;
}

std::vector<std::pair<QString, QDateTime>> AlertSnooze::snoozed(const QDateTime& now) const
{
    std::vector<std::pair<QString, QDateTime>> result;
    for (auto it = m_until.cbegin(); it != m_until.cend(); ++it) {
        if (!it.value().isValid() || it.value() > now)
            result.emplace_back(it.key(), it.value());
    }
    std::sort(result.begin(), result.end());
    return result;
}

QDateTime AlertSnooze::endOf(SnoozeLength length, const QDateTime& now)
{
    switch (length) {
    case SnoozeLength::OneHour:
        return now.addSecs(3600);
    case SnoozeLength::EightHours:
        return now.addSecs(qint64{8} * 3600);
    case SnoozeLength::UntilTomorrow:
        // The start of the next day where the user is, whatever the hour now.
        return QDateTime(now.toLocalTime().date().addDays(1), QTime(0, 0));
    case SnoozeLength::UntilResumed:
        break;
    }
    return {};
}

std::optional<SnoozeLength> AlertSnooze::lengthFromText(const QString& text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("1h"))
        return SnoozeLength::OneHour;
    if (word == QLatin1String("8h"))
        return SnoozeLength::EightHours;
    if (word == QLatin1String("tomorrow"))
        return SnoozeLength::UntilTomorrow;
    if (word == QLatin1String("on"))
        return SnoozeLength::UntilResumed;
    return std::nullopt;
}

QString AlertSnooze::describe(const QDateTime& until, const QDateTime& now)
{
    if (!until.isValid())
        return QCoreApplication::translate("AlertSnooze", "until turned back on");
    const QDateTime local = until.toLocalTime();
    if (local.date() == now.toLocalTime().date())
        return QCoreApplication::translate("AlertSnooze", "until %1").arg(local.toString(QStringLiteral("HH:mm")));
    // The form of a day and time is the translator's choice; the names are the language's.
    return QCoreApplication::translate("AlertSnooze", "until %1")
        .arg(Translations::shownLocale().toString(
            local, QCoreApplication::translate("AlertSnooze", "ddd d MMM HH:mm", "date and time format")));
}

} // namespace trevisk
