#pragma once

#include "sim/SimResponder.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <chrono>
#include <random>

namespace trevisk {

// One simulated game server on the Qt event loop, for tests and the in-process demo: a UDP
// socket on its query port that answers through a SimResponder.
class SimServer : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds ChurnInterval{5000};

    // A server of a catalogue game with that game's defaults.
    explicit SimServer(const QString& game, QObject* parent = nullptr);
    explicit SimServer(SimServerState state, QObject* parent = nullptr);

    // Binds the query port of a server with this game port on `host`. Game port 0 binds an
    // ephemeral query port, and the game port is then the one a monitor would derive it from.
    bool start(const QHostAddress& host = QHostAddress(QHostAddress::LocalHost), quint16 gamePort = 0);
    void stop();
    QString errorString() const { return m_error; }

    QHostAddress host() const { return m_host; }
    quint16 queryPort() const { return m_queryPort; }
    quint16 gamePort() const { return m_gamePort; }
    // "host:game port", as a monitor lists the server.
    QString address() const;

    SimResponder& responder() { return m_responder; }
    SimServerState& state() { return m_responder.state(); }

    // Every answer waits a random time in this range (seeded by `seed`) before it leaves.
    void setDelay(std::chrono::milliseconds minimum, std::chrono::milliseconds maximum, quint32 seed = 1);
    // Answers leave from another socket, bound to `host` and `port` (0: ephemeral), as a
    // multi-homed or NATed server's would. Returns false when that socket cannot be bound.
    bool setReplySource(const QHostAddress& host, quint16 port = 0);
    quint16 replyPort() const;

    // Players come and go every interval while churning.
    void setChurnInterval(std::chrono::milliseconds interval);
    void setChurning(bool churning);

signals:
    void requestReceived(const QByteArray& request);
    void datagramSent(const QByteArray& datagram);
    void playersChanged();

private:
    void readRequests();
    void send(const QList<QByteArray>& datagrams, const QHostAddress& to, quint16 port);
    void churnPlayers();

    SimResponder m_responder;
    QUdpSocket m_socket{this};
    QUdpSocket m_replySocket{this};
    QTimer m_churnTimer{this};
    QHostAddress m_host;
    quint16 m_queryPort = 0;
    quint16 m_gamePort = 0;
    QString m_error;
    std::chrono::milliseconds m_delayMin{0};
    std::chrono::milliseconds m_delayMax{0};
    std::minstd_rand m_delayRandom;
    // Answers still waiting on their delay are not sent once the server was stopped or restarted.
    quint64 m_generation = 0;
};

} // namespace trevisk
