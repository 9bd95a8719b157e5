#pragma once

#include <QObject>

class QSocketNotifier;

namespace trevisk {

// Turns SIGINT, SIGTERM and SIGUSR1 into Qt signals on the event loop, so that the program ends cleanly.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);
    // SIGUSR1: print the status now.
    void statusRequested();

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace trevisk
