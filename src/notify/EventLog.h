#pragma once

#include "notify/Notification.h"

#include <QObject>

#include <vector>

namespace trevisk {

class Clock;
struct AppSettings;

// Records every notification of the run: a line in the user's log file when logging is on,
// and a row of the in-memory log that the message history shows.
class EventLog : public QObject
{
    Q_OBJECT
public:
    // The settings are read at each line, so a change of the log switch or file applies at once.
    EventLog(const AppSettings& settings, const Clock& clock, QObject* parent = nullptr);

    void logMessage(const QString& text);

    // The rows of this run, oldest first; nothing removes them.
    const std::vector<Notification>& notifyLog() const { return m_notifyLog; }

    // "<short date> <long time> : <line>" in the system locale, as the log file holds it.
    static QString fileLine(const QDateTime& stamp, const QString& line);

signals:
    void logged(const QDateTime& stamp, const QString& message);

private:
    void appendToFile(const QString& path, const QDateTime& stamp, const QString& line) const;

    const AppSettings& m_settings;
    const Clock& m_clock;
    std::vector<Notification> m_notifyLog;
};

} // namespace trevisk
