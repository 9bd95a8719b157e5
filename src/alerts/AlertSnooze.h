#pragma once

#include "store/RecordTable.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace trevisk {

inline constexpr char SnoozeFile[] = "snooze.dat";

// One snoozed server; no end means until the user turns its alerts back on.
struct SnoozeRecord
{
    std::optional<QString> address;
    std::optional<QDateTime> until;
    QJsonObject extra;

    static constexpr char TableName[] = "Snoozes";
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        v("Address", r.address, FieldType::Text, 255);
        v("Until", r.until, FieldType::DateTime, 8);
    }
};

enum class SnoozeLength
{
    OneHour,
    EightHours,
    UntilTomorrow,
    UntilResumed
};

// Servers whose pop-ups, sounds and alert mail are held back for a while. Kept in a file of its own
// beside the lists, so that the server list stays as older versions read it, and so that a command
// can snooze a server while a monitor runs (the monitor reads the file again when it changes).
class AlertSnooze
{
public:
    // How long a change waits while another program changes the file: a monitor's windows stand
    // still meanwhile, so it waits little; a command can wait longer.
    static constexpr std::chrono::milliseconds MonitorWait{500};
    static constexpr std::chrono::milliseconds CommandWait{5000};

    explicit AlertSnooze(QString filePath = {}, std::chrono::milliseconds lockWait = MonitorWait);

    // Reads the file; a missing one means nothing is snoozed. Returns what failed, or empty.
    QString load();
    // Each change holds the file's lock (ChangeLock) while it reads the file, so that a change another
    // program made meanwhile is kept, and saves it whole. Returns what failed, or empty; when the lock
    // cannot be had, nothing is changed.
    QString snooze(const QString& address, SnoozeLength length, const QDateTime& now);
    QString resume(const QString& address);

    bool isSnoozed(const QString& address, const QDateTime& now) const;
    // While snoozed: the end, or an invalid time for "until turned back on".
    std::optional<QDateTime> snoozedUntil(const QString& address, const QDateTime& now) const;

    // Every server snoozed now, by address, with its end as snoozedUntil gives it.
    std::vector<std::pair<QString, QDateTime>> snoozed(const QDateTime& now) const;

    static QDateTime endOf(SnoozeLength length, const QDateTime& now);
    // "1h", "8h", "tomorrow", "on" (until turned back on); none for anything else.
    static std::optional<SnoozeLength> lengthFromText(const QString& text);
    // For people: "until 14:30", "until Tue 8 Dec 00:00", "until turned back on".
    static QString describe(const QDateTime& until, const QDateTime& now);

    const QString& filePath() const { return m_path; }

private:
    QString save(const QDateTime& now);

    QString m_path;
    std::chrono::milliseconds m_lockWait;
    QHash<QString, QDateTime> m_until; // an invalid time: until turned back on
};

} // namespace trevisk
