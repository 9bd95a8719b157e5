#include "sim/SimMasterServer.h"

#include <QNetworkDatagram>

namespace trevisk {

SimMasterServer::SimMasterServer(SimMaster master, QObject* parent)
    : QObject(parent)
    , m_master(std::move(master))
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &SimMasterServer::readRequests);
}

bool SimMasterServer::start(quint16 port)
{
    return m_socket.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress);
}

void SimMasterServer::readRequests()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            break;
        ++m_requests;
        emit requestReceived(datagram.data());
        for (const QByteArray& reply : m_master.respond(datagram.data()))
            m_socket.writeDatagram(reply, datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
    }
}

} // namespace trevisk
