#pragma once

#include <QObject>

#include <functional>

namespace trevisk {

class EventLog;
class Monitor;

// What the monitor without windows writes: every logged notification as its log-file line,
// and the fate of alert mails, so that a terminal or a service log shows what the user would see.
class HeadlessOutput : public QObject
{
    Q_OBJECT
public:
    using Writer = std::function<void(const QString& line)>;

    HeadlessOutput(EventLog& log, Monitor& monitor, Writer out, Writer err, QObject* parent = nullptr);

    // The status table of every server.
    void printStatus();

private:
    Monitor& m_monitor;
    Writer m_out;
    Writer m_err;
};

} // namespace trevisk
