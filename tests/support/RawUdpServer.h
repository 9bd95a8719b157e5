#pragma once

#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

namespace trevisk {

// A UDP server on 127.0.0.1 that answers every request with the datagram the test sets (none
// while it is empty) and keeps what it was sent.
class RawUdpServer : public QObject
{
public:
    explicit RawUdpServer(quint16 port = 0)
    {
        m_socket.bind(QHostAddress::LocalHost, port);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_socket.receiveDatagram();
                requests << request.data();
                if (!answer.isEmpty())
                    m_socket.writeDatagram(request.makeReply(answer));
            }
        });
    }
    bool isBound() const { return m_socket.state() == QAbstractSocket::BoundState; }
    quint16 port() const { return m_socket.localPort(); }
    QUdpSocket& socket() { return m_socket; }

    QByteArray answer;
    QList<QByteArray> requests;

private:
    QUdpSocket m_socket;
};

} // namespace trevisk
