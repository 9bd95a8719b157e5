#pragma once

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

#include <functional>

namespace trevisk {

// A UDP server on 127.0.0.1 (or ::1) that keeps every request with its arrival time (milliseconds since
// it was made) and answers as the test says: the same datagram to every request, or from a
// handler that sees each request's number (from 1) and replies to it.
class RawUdpServer : public QObject
{
public:
    explicit RawUdpServer(quint16 port = 0, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost))
    {
        m_socket.bind(host, port);
        m_clock.start();
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                m_last = m_socket.receiveDatagram();
                requests << m_last.data();
                arrivals << m_clock.elapsed();
                if (!autoReply.isEmpty())
                    reply(autoReply);
                if (onRequest)
                    onRequest(static_cast<int>(requests.size()));
            }
        });
    }
    bool isBound() const { return m_socket.state() == QAbstractSocket::BoundState; }
    quint16 port() const { return m_socket.localPort(); }
    QString address() const
    {
        const bool v6 = m_socket.localAddress().protocol() == QAbstractSocket::IPv6Protocol;
        return QString::fromLatin1(v6 ? "[%1]:%2" : "%1:%2").arg(m_socket.localAddress().toString()).arg(port());
    }
    // Answers the last request, from the server's own address and port.
    void reply(const QByteArray& bytes) { m_socket.writeDatagram(m_last.makeReply(bytes)); }
    const QNetworkDatagram& lastRequest() const { return m_last; }

    QByteArray autoReply;
    std::function<void(int requestNumber)> onRequest;
    QList<QByteArray> requests;
    QList<qint64> arrivals;

private:
    QUdpSocket m_socket;
    QNetworkDatagram m_last;
    QElapsedTimer m_clock;
};

// A port on 127.0.0.1 where nothing listens: bound once to learn a free one, then closed.
inline quint16 closedPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

} // namespace trevisk
