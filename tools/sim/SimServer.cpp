#include "sim/SimServer.h"

#include "core/Catalogue.h"
#include "sim/SimPlan.h"

#include <QNetworkDatagram>

namespace trevisk {

SimServer::SimServer(const QString& game, QObject* parent)
    : SimServer(SimServerState::forGame(game), parent)
{}

SimServer::SimServer(SimServerState state, QObject* parent)
    : QObject(parent)
    , m_responder(std::move(state))
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &SimServer::readRequests);
    connect(&m_churnTimer, &QTimer::timeout, this, &SimServer::churnPlayers);
    m_churnTimer.setInterval(ChurnInterval);
}

bool SimServer::start(const QHostAddress& host, quint16 gamePort)
{
    ++m_generation;
    m_socket.close();
    const QString game = state().game;
    const int wanted =
        gamePort == 0 ? 0 : trevisk::queryPort(game, joinAddress(host.toString(), QString::number(gamePort)));
    if (wanted < 0 || wanted > 65535) {
        m_error = QStringLiteral("query port %1 is out of range").arg(wanted);
        return false;
    }
    // Not shared: a second simulator on the same port must fail here, not split the datagrams.
    if (!m_socket.bind(host, static_cast<quint16>(wanted), QAbstractSocket::DontShareAddress)) {
        m_error = m_socket.errorString();
        return false;
    }
    m_host = host;
    m_queryPort = m_socket.localPort();
    m_gamePort =
        gamePort != 0 ? gamePort : static_cast<quint16>(m_queryPort - SimPlan::queryPortOffset(game).value_or(0));
    state().gamePort = m_gamePort;
    state().address = address().toLatin1();
    m_error.clear();
    return true;
}

void SimServer::stop()
{
    ++m_generation;
    m_socket.close();
    m_replySocket.close();
    m_churnTimer.stop();
}

QString SimServer::address() const
{
    return joinAddress(m_host.toString(), QString::number(m_gamePort));
}

void SimServer::setDelay(std::chrono::milliseconds minimum, std::chrono::milliseconds maximum, quint32 seed)
{
    m_delayMin = minimum;
    m_delayMax = std::max(minimum, maximum);
    m_delayRandom.seed(seed == 0 ? 1 : seed);
}

bool SimServer::setReplySource(const QHostAddress& host, quint16 port)
{
    m_replySocket.close();
    if (!m_replySocket.bind(host, port, QAbstractSocket::DontShareAddress)) {
        m_error = m_replySocket.errorString();
        return false;
    }
    return true;
}

quint16 SimServer::replyPort() const
{
    return m_replySocket.state() == QAbstractSocket::BoundState ? m_replySocket.localPort() : m_queryPort;
}

void SimServer::setChurnInterval(std::chrono::milliseconds interval)
{
    m_churnTimer.setInterval(interval);
}

void SimServer::setChurning(bool churning)
{
    if (churning)
        m_churnTimer.start();
    else
        m_churnTimer.stop();
}

void SimServer::readRequests()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            break;
        emit requestReceived(datagram.data());
        const QList<QByteArray> answer = m_responder.respond(datagram.data(), datagram.senderAddress().toIPv4Address());
        if (answer.isEmpty())
            continue;
        if (m_delayMax.count() <= 0) {
            send(answer, datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
            continue;
        }
        const auto span = static_cast<unsigned>((m_delayMax - m_delayMin).count());
        const auto delay = m_delayMin + std::chrono::milliseconds(span == 0 ? 0 : m_delayRandom() % (span + 1));
        QTimer::singleShot(delay,
                           this,
                           [this,
                            answer,
                            generation = m_generation,
                            to = datagram.senderAddress(),
                            port = static_cast<quint16>(datagram.senderPort())] {
                               if (generation == m_generation)
                                   send(answer, to, port);
                           });
    }
}

void SimServer::send(const QList<QByteArray>& datagrams, const QHostAddress& to, quint16 port)
{
    QUdpSocket& socket = m_replySocket.state() == QAbstractSocket::BoundState ? m_replySocket : m_socket;
    for (const QByteArray& datagram : datagrams) {
        socket.writeDatagram(datagram, to, port);
        emit datagramSent(datagram);
    }
}

void SimServer::churnPlayers()
{
    m_responder.churn(std::chrono::duration_cast<std::chrono::milliseconds>(m_churnTimer.intervalAsDuration()));
    emit playersChanged();
}

} // namespace trevisk
