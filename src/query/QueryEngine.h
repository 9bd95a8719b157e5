#pragma once

#include "players/FriendList.h"
#include "query/AnswerUpdate.h"
#include "query/SendPacer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <queue>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QUdpSocket;

namespace trevisk {

class Clock;
class EngineProtocol;

// Where reports about a server's answer go (standard error, the log file): never a modal box.
class AnswerErrorSink
{
public:
    virtual ~AnswerErrorSink() = default;
    // The error's parts, so that a terminal may show the report in the user's language while
    // the log keeps it in English.
    virtual void answerError(const QString& address, const AnswerError& error) = 0;
};

// The shared machinery behind every query object: the sockets, one timer for every deadline,
// name resolution and the pacing of sends. A server that is idle costs nothing here: no timer
// per server, no socket per server (the event loop would poll each one at every wake-up).
class QueryEngine : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        std::chrono::milliseconds refresh{30000}; // between scheduled queries of one server
        std::chrono::milliseconds timeOut{2000};  // for an answer to one request
        std::chrono::milliseconds gather{2500};   // window of a multi-datagram answer
        int triesPerCycle = 3;
        // Pacing: never more than this many queries a second (0: no pacing) so that a burst
        // of queries is not dropped by a home router or a rate-limiting server. Below it the
        // rate follows what the path takes (SendPacer).
        int queriesPerSecond = 0;
        // While nothing is lost the rate may climb to this, above `queriesPerSecond` (0: no higher).
        int openQueriesPerSecond = 0;
        // How long a resolved host name is used before it is looked up again.
        std::chrono::milliseconds hostCacheAge{std::chrono::minutes(10)};
    };

    enum class DeadlineKind
    {
        Schedule,
        TimeOut,
        Gather
    };

    // A query object as the engine sees it: it sends when its turn comes, hears its deadlines and
    // the datagrams from its server, and says where its server is and how its last try went.
    class Client
    {
    public:
        // Sends the try's requests; a socket index below 0 and a null address send nothing.
        virtual void transmit(int socketIndex, const QHostAddress& address) = 0;
        virtual void deadlineReached(DeadlineKind kind) = 0;
        // False when the datagram was not awaited and had no effect.
        virtual bool receive(const QByteArray& datagram) = 0;
        // Nothing listens at the server's port: the cycle ends at once. False when no try was waiting.
        virtual bool refuse(const QString& reason) = 0;
        virtual void engineGone() = 0;
        virtual const QString& host() const = 0;
        virtual quint16 remotePort() const = 0;
        virtual int retries() const = 0;
        virtual qint32 ping() const = 0;

    protected:
        ~Client() = default;
    };

    explicit QueryEngine(const Clock& clock, QObject* parent = nullptr);
    ~QueryEngine() override;

    const Timing& timing() const { return m_timing; }
    void setTiming(const Timing& timing);
    // A new interval reaches every query object at once: servers already waiting are rescheduled.
    void setRefreshInterval(std::chrono::milliseconds interval);
    // While off, nothing is queried on the schedule; queries asked for by the owner still go out.
    void setScheduleEnabled(bool enabled);
    bool scheduleEnabled() const { return m_scheduleEnabled; }

    void setErrorSink(AnswerErrorSink* sink) { m_errorSink = sink; }
    AnswerErrorSink* errorSink() const { return m_errorSink; }
    // Which protocol serves a game; tests may put their own in place.
    void setProtocolResolver(std::function<const EngineProtocol*(const QString& game)> resolver);
    const EngineProtocol* protocolFor(const QString& game) const;

    // The user's friends, by which every parser marks the players.
    void setFriendList(const FriendList& friends) { m_friendList = friends; }
    const FriendList& friendList() const { return m_friendList; }

    const Clock& clock() const { return m_clock; }
    // Looks a host name up and calls back with its first IPv4 address, or its first IPv6
    // address when it has no IPv4 one (null when it has neither); by default through the
    // system's resolver. Tests put their own in place, so that no
    // made-up name is ever sent to a name server.
    using HostResolver = std::function<void(const QString& host, std::function<void(const QHostAddress&)> done)>;
    void setHostResolver(HostResolver resolver) { m_hostResolver = std::move(resolver); }

    // The millisecond tick count pings are measured on; tests may put their own in place.
    void setTickSource(std::function<qint32()> ticks) { m_ticks = std::move(ticks); }
    qint32 ticks() const { return m_ticks(); }
    // Milliseconds on the engine's monotonic clock.
    qint64 now() const { return m_elapsed.elapsed(); }

    int socketCount() const { return static_cast<int>(m_sockets.size()); }
    // For tests: IPv6 sockets fail to bind, as on a machine without IPv6.
    void setIPv6Unavailable(bool unavailable) { m_ipv6Unavailable = unavailable; }
    int pendingSends() const { return static_cast<int>(m_sendQueue.size()); }
    // The pace sends go out at now, queries a second.
    double sendRate() const { return m_pacer.rate(); }
    int scheduledDeadlines() const { return static_cast<int>(m_deadlines.size()); }
    // Datagrams from a listed server's address that no query awaited; they were dropped.
    quint64 unawaitedDatagrams() const { return m_unawaited; }
    // Port-unreachable reports the sockets received, whether or not a query was waiting.
    quint64 refusals() const { return m_refusals; }

    // What every query object of this engine has done since it started, for the web status.
    struct Counters
    {
        quint64 queriesSent = 0;  // tries sent, each the engine's request datagrams
        quint64 answers = 0;      // answers read (a gathered answer once)
        quint64 timeOuts = 0;     // cycles that ended without an answer
        quint64 answerErrors = 0; // answers a parser found fault with
    };
    const Counters& counters() const { return m_counters; }
    // What query objects report of their tries.
    void countTry() { ++m_counters.queriesSent; }
    void countAnswer() { ++m_counters.answers; }
    void countTimeOut() { ++m_counters.timeOuts; }
    void countAnswerError() { ++m_counters.answerErrors; }

    // Query objects reach their own deadlines and sends through these, by the id attach gave them.
    quint32 attach(Client* query);
    void detach(quint32 id);
    void startDeadline(quint32 id, DeadlineKind kind, qint64 due);
    void stopDeadline(quint32 id, DeadlineKind kind);
    bool deadlineOn(quint32 id, DeadlineKind kind) const;
    // The schedule runs from `from`; while the schedule is switched off it stays on without a deadline.
    void startSchedule(quint32 id, qint64 from);
    bool sendPending(quint32 id) const;
    // The query's turn to send comes when the pace allows and its host name is known (urgent: first in line).
    void requestSend(quint32 id, bool urgent);
    void cancelSend(quint32 id);
    void unregisterRoute(quint32 id);
    // Sends one datagram; a send that fails only because an earlier refusal was still pending goes again.
    void sendDatagram(int socketIndex, const QByteArray& datagram, const QHostAddress& address, quint16 port);

private:
    // What the engine keeps of each query object: its deadlines (a generation tells a live one
    // from one cancelled since), where its schedule runs from, and whether it waits to send.
    struct Slot
    {
        Client* query = nullptr;
        std::array<quint64, 3> generation{};
        std::array<bool, 3> on{};
        qint64 scheduleBase = 0;
        bool sendPending = false;
        // The server answered its last try: its silence now says something about the path.
        bool answering = false;
        // Its last try went out above the home pace: silence now is taken for loss too.
        bool sentBeyond = false;
    };
    struct Deadline
    {
        qint64 due;
        quint64 order;
        quint32 queryId;
        DeadlineKind kind;
        quint64 generation;
        bool operator>(const Deadline& other) const { return due != other.due ? due > other.due : order > other.order; }
    };
    // An IPv4 address fills `low` alone; each socket serves one family, so the two never share a table.
    struct Endpoint
    {
        quint64 high = 0;
        quint64 low = 0;
        quint16 port = 0;
        bool operator==(const Endpoint&) const = default;
    };
    friend size_t qHash(const Endpoint& endpoint, size_t seed)
    {
        return qHashMulti(seed, endpoint.high, endpoint.low, endpoint.port);
    }
    static Endpoint endpointOf(const QHostAddress& address, quint16 port);
    struct HostEntry
    {
        QHostAddress address; // null while unknown
        qint64 resolvedAt = -1;
        bool pending = false;
        bool failed = false;
        std::vector<quint32> waiting; // queries to send once the name is known
    };

    void addDeadline(quint32 id, DeadlineKind kind, qint64 due, quint64 generation);
    void armTimer();
    void runDueDeadlines();
    void rescheduleAll();

    // Sending: a query asks to send; the engine paces, resolves and then calls back.
    void drainSendQueue();
    void performSend(quint32 id);
    void lookUpHost(const QString& host);
    void hostLookedUp(const QString& host, const QHostAddress& address);

    // Routing: each socket serves each remote endpoint at most once, so answers reach exactly the query that asked.
    // -1 when no socket of the address's family could be bound.
    int registerRoute(quint32 id, const QHostAddress& address, quint16 port);
    // Sends a query's tries, or ends its cycle as refused when its family has no socket.
    void transmitTo(quint32 id, Client* query, const QHostAddress& address);
    void readDatagrams(int socketIndex);
    // Hands the datagram just read to the query that awaits it, if any.
    void deliver(int socketIndex, const QHostAddress& sender, quint16 senderPort);
    // Reads the socket's queued ICMP errors; a port unreachable ends the matching query's try.
    void readErrors(int socketIndex);
    QUdpSocket* socket(int index) const { return m_sockets.at(index).get(); }

    const Clock& m_clock;
    Timing m_timing;
    bool m_scheduleEnabled = true;
    AnswerErrorSink* m_errorSink = nullptr;
    std::function<const EngineProtocol*(const QString&)> m_resolver;
    std::function<qint32()> m_ticks;
    HostResolver m_hostResolver;
    FriendList m_friendList;
    QElapsedTimer m_elapsed;

    quint32 m_nextId = 1;
    QHash<quint32, Slot> m_slots;
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> m_deadlines;
    quint64 m_deadlineOrder = 0;
    QTimer m_timer;

    std::vector<std::unique_ptr<QUdpSocket>> m_sockets;
    std::vector<bool> m_socketIsV6;
    bool m_ipv6Unavailable = false;
    std::vector<QHash<Endpoint, quint32>> m_routes;
    struct RouteKey
    {
        int socket = -1;
        Endpoint endpoint;
    };
    QHash<quint32, RouteKey> m_routeOf;

    std::deque<quint32> m_sendQueue;
    QTimer m_paceTimer;
    SendPacer m_pacer;
    QHash<QString, HostEntry> m_hosts;
    quint64 m_unawaited = 0;
    Counters m_counters;
    quint64 m_refusals = 0;
    QByteArray m_datagram;
};

} // namespace trevisk
