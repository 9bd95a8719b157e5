#pragma once

#include "sim/SimMaster.h"

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

namespace trevisk {

// A simulated master on the Qt event loop, for tests: answers on 127.0.0.1 through a SimMaster.
class SimMasterServer : public QObject
{
    Q_OBJECT
public:
    SimMasterServer(SimMaster master, QObject* parent = nullptr);

    bool start(quint16 port = 0);
    quint16 port() const { return m_socket.localPort(); }
    QString address() const { return QStringLiteral("127.0.0.1:") + QString::number(port()); }
    int requests() const { return m_requests; }

signals:
    void requestReceived(const QByteArray& request);

private:
    void readRequests();

    SimMaster m_master;
    QUdpSocket m_socket{this};
    int m_requests = 0;
};

} // namespace trevisk
