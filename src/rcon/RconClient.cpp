#include "rcon/RconClient.h"

#include <QNetworkDatagram>

#include <utility>

namespace trevisk {

RconClient::RconClient(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(AnswerTimeout);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_challengeAsked = false;
        m_waiting.clear();
        m_inFlight.clear();
        emit noAnswer();
    });
    connect(&m_socket, &QUdpSocket::readyRead, this, &RconClient::readDatagrams);
    connect(&m_socket, &QUdpSocket::connected, this, &RconClient::flush);
    connect(&m_socket, &QUdpSocket::errorOccurred, this, &RconClient::socketError);
}

bool RconClient::open(const QString& game, const QString& address)
{
    const std::optional<RconDialect> dialect = rconDialect(game);
    const std::optional<RconTarget> target = rconTarget(game, address);
    if (!dialect || !target)
        return false;
    m_dialect = *dialect;
    m_target = *target;
    m_challenge.clear();
    m_challengeAsked = false;
    m_waiting.clear();
    m_inFlight.clear();
    m_unsent.clear();
    m_timer.stop();
    m_socket.abort();
    m_socket.connectToHost(m_target.host, m_target.port);
    if (m_dialect == RconDialect::HalfLife)
        requestChallenge();
    return true;
}

void RconClient::requestChallenge()
{
    m_challengeAsked = true;
    write(rconChallengeRequest());
}

void RconClient::send(const QString& password, const QString& command)
{
    if (m_dialect == RconDialect::HalfLife && m_challenge.isEmpty()) {
        m_waiting.append({password, command});
        if (!m_challengeAsked)
            requestChallenge();
        return;
    }
    m_resent = false;
    m_inFlight.append({password, command});
    writeCommand(m_inFlight.last());
}

void RconClient::writeCommand(const Pending& pending)
{
    write(rconCommand(m_dialect, m_challenge, pending.password, pending.command));
}

void RconClient::write(const QByteArray& datagram)
{
    m_unsent.append(datagram);
    m_timer.start();
    emit sent();
    flush();
}

void RconClient::flush()
{
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    while (!m_unsent.isEmpty()) {
        m_sending = true;
        const qint64 written = m_socket.write(m_unsent.takeFirst());
        m_sending = false;
        // The error signal has told what went wrong.
        if (written < 0)
            return;
    }
}

void RconClient::readDatagrams()
{
    bool first = true;
    do {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        // On a connected socket, a wake-up with nothing to read is the system's report that the
        // server's port is closed (or its host unreachable); Qt drops the error itself.
        if (!datagram.isValid()) {
            if (first && m_socket.error() == QAbstractSocket::UnknownSocketError)
                socketError(QAbstractSocket::ConnectionRefusedError);
            return;
        }
        first = false;
        const RconDatagram read = readRconDatagram(datagram.data());
        if (read.kind == RconDatagram::Kind::Other)
            continue;
        if (read.kind == RconDatagram::Kind::Text) {
            m_timer.stop();
            m_inFlight.clear();
            emit replied(read.text);
            continue;
        }
        takeChallenge(read.text);
    } while (m_socket.hasPendingDatagrams());
}

void RconClient::takeChallenge(const QByteArray& challenge)
{
    m_challenge = challenge;
    if (!m_challengeAsked && !m_inFlight.isEmpty()) {
        // The commands came back with a new challenge instead of a reply: they go once more with it,
        // and a server that keeps doing so has not answered them. Nothing else ends the wait.
        if (m_resent) {
            m_timer.stop();
            m_inFlight.clear();
            emit noAnswer();
            return;
        }
        m_resent = true;
        const QList<Pending> again = m_inFlight;
        for (const Pending& pending : again)
            writeCommand(pending);
        return;
    }
    m_timer.stop();
    m_challengeAsked = false;
    emit challengeReceived(m_challenge);
    const QList<Pending> waiting = std::exchange(m_waiting, {});
    for (const Pending& pending : waiting)
        send(pending.password, pending.command);
}

void RconClient::socketError(QAbstractSocket::SocketError error)
{
    // Nothing to read after all.
    if (error == QAbstractSocket::TemporaryError)
        return;
    m_timer.stop();
    m_waiting.clear();
    m_inFlight.clear();
    m_unsent.clear();
    m_challengeAsked = false;
    if (error == QAbstractSocket::ConnectionRefusedError)
        emit refused();
    else
        emit failed(m_socket.errorString(), static_cast<int>(error), m_sending);
}

} // namespace trevisk
