#pragma once

#include "find/MasterProtocol.h"
#include "find/MasterSettings.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <chrono>

namespace trevisk {

// Asks one master for its list over UDP: looks its host up, sends the request (and, for
// Source masters, each page's, paced), takes only its own datagrams, and ends on its end
// mark, its silence or a fault. The bytes are judged by MasterConversation.
class MasterQuery : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        std::chrono::milliseconds wait{3000};         // for a master's first (or next) datagram
        std::chrono::milliseconds settle{700};        // of silence after a list that may be complete
        std::chrono::milliseconds pageInterval{1000}; // between Source page requests: masters throttle faster ones
    };

    MasterQuery(const MasterAddress& master, const MasterAsk& ask, const Timing& timing, QObject* parent = nullptr);

    void start();
    void stop();

    QString master() const { return m_master.text(); }
    const MasterConversation& conversation() const { return m_conversation; }
    bool isFinished() const { return m_finished; }
    // Why the list is missing or may be incomplete; empty when it came whole.
    QString error() const { return m_error; }

signals:
    // Servers this master listed that it had not listed before.
    void serversListed(const std::vector<ListedAddress>& servers);
    void finished();

private:
    void resolved(const QHostAddress& address);
    void send();
    void readDatagrams();
    void timedOut();
    void finish(const QString& error);

    MasterAddress m_master;
    MasterConversation m_conversation;
    Timing m_timing;
    QHostAddress m_address;
    QUdpSocket m_socket{this};
    QTimer m_wait{this};
    QTimer m_page{this};
    QByteArray m_request;
    int m_lookup = -1;
    bool m_answered = false;
    bool m_settling = false;
    bool m_finished = false;
    QString m_error;
};

} // namespace trevisk
