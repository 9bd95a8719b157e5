#pragma once

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

inline constexpr char UptimeFile[] = "uptime.dat";

// The share of a server's cycles that were answered, from 0 to 1; none while no cycle was counted.
struct UptimeShares
{
    std::optional<double> day;
    std::optional<double> week;
    std::optional<double> month; // 30 days
};

// Answered and counted cycles per server and hour, over the last 30 days. The file holds four bytes a
// server an hour and is written whole once an hour (and when the monitor ends).
class UptimeLog
{
public:
    static constexpr int KeptHours = 30 * 24;

    explicit UptimeLog(QString filePath = {});

    // Reads the file; a missing one starts empty. Hours older than 30 days or later than `now` are
    // dropped. An unreadable one (or no regular file) is moved aside unless `moveAside` is false (the
    // counts are only statistics, but nothing is deleted) and the log starts empty; returns what failed.
    QString load(const QDateTime& now, bool moveAside = true);
    // Drops hours older than 30 days and writes the file atomically; returns what failed, or empty.
    QString save(const QDateTime& now);
    // True when an hour has begun since the last load or save.
    bool saveDue(const QDateTime& now) const;

    // Counts the end of a cycle. `cycle` numbers the server's cycles: a cycle is counted once,
    // by its first verdict, however many answers it had.
    void record(const QString& address, quint64 cycle, bool answered, const QDateTime& now);
    void forget(const QString& address);

    UptimeShares shares(const QString& address, const QDateTime& now) const;
    int serverCount() const { return static_cast<int>(m_servers.size()); }

    // "99.8%" (in the C locale unless a window passes its own); a share is never rounded up to a
    // full 100 %. A dash when nothing was counted.
    static QString percent(const std::optional<double>& share, const QLocale& locale = QLocale::c());
    // "day 99.8%, week 97%, 30 days 97.1%"
    static QString describe(const UptimeShares& shares);

private:
    struct Count
    {
        quint16 cycles = 0;
        quint16 answered = 0;
    };
    struct Server
    {
        qint32 firstHour = 0;
        // From firstHour on, one per hour. A vector: a deque takes over half a kilobyte even for one hour.
        std::vector<Count> hours;
        quint64 lastCycle = 0;
    };

    static qint32 hourOf(const QDateTime& when);
    static void dropBefore(Server& server, qint32 hour);
    static void dropAfter(Server& server, qint32 hour);

    QString m_path;
    QHash<QString, Server> m_servers;
    qint32 m_savedHour = 0;
};

} // namespace trevisk
