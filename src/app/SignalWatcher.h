#pragma once

#include <QObject>

class QSocketNotifier;

namespace trevisk {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop, so that the program ends cleanly.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace trevisk
