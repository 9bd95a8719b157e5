#pragma once

#include "rcon/RconProtocol.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <chrono>

namespace trevisk {

// Sends remote console commands to one server and hands back what it answers. The socket is
// connected to the server, so the system passes on only datagrams from its address and port,
// and a closed port shows as "refused".
class RconClient : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds AnswerTimeout{3000};

    explicit RconClient(QObject* parent = nullptr);

    void setAnswerTimeout(std::chrono::milliseconds timeout) { m_timer.setInterval(timeout); }
    std::chrono::milliseconds answerTimeout() const { return m_timer.intervalAsDuration(); }

    // Aims at a server of `game`; a Half-Life server is asked for its challenge at once. False
    // when the game takes no remote console or the address names no host and port.
    bool open(const QString& game, const QString& address);
    // A Half-Life command waits for the challenge (asked for again when an earlier request went
    // unanswered), so that it never goes out with an empty one.
    void send(const QString& password, const QString& command);

    RconDialect dialect() const { return m_dialect; }
    QByteArray challenge() const { return m_challenge; }
    RconTarget target() const { return m_target; }

signals:
    // A datagram went out: a command, or a request for the challenge.
    void sent();
    void challengeReceived(const QByteArray& challenge);
    // One datagram's console text, as it comes; empty when the command printed nothing.
    void replied(const QByteArray& text);
    // Nothing came back within the answer time-out, or the server kept answering the command with
    // a new challenge.
    void noAnswer();
    // The server's port is closed.
    void refused();
    void failed(const QString& description, int number, bool whileSending);

private:
    struct Pending
    {
        QString password;
        QString command;
    };

    void write(const QByteArray& datagram);
    void flush();
    void readDatagrams();
    void socketError(QAbstractSocket::SocketError error);
    void requestChallenge();
    void writeCommand(const Pending& pending);
    void takeChallenge(const QByteArray& challenge);

    QUdpSocket m_socket{this};
    QTimer m_timer{this};
    RconDialect m_dialect = RconDialect::Quake;
    RconTarget m_target;
    QByteArray m_challenge;
    bool m_challengeAsked = false;
    QList<Pending> m_waiting;   // Half-Life commands until the challenge comes
    QList<Pending> m_inFlight;  // commands sent that nothing has answered yet
    bool m_resent = false;      // they went once more after a challenge came back instead of a reply
    QList<QByteArray> m_unsent; // datagrams until the host name is looked up
    bool m_sending = false;
};

} // namespace trevisk
