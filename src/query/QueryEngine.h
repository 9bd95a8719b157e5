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

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
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
        // Sends the try's requests through sendDatagram; nothing goes out when `reachable` is false.
        virtual void transmit(bool reachable) = 0;
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
    // Sends one datagram to the query's server by the route its last try took; a send that fails
    // only because an earlier refusal was still pending goes again.
    void sendDatagram(quint32 id, const QByteArray& datagram);

private:
    // A queued send or a host waiter names the query object it was for: a slot that was freed
    // and given to another since has a new life, so the new one never takes the old one's turn.
    struct Ticket
    {
        quint32 id;
        quint32 life;
    };
    // What the engine keeps of each query object: its deadlines (a generation tells a live one
    // from one cancelled since), where its schedule runs from, whether it waits to send, and
    // where its requests go. A freed slot keeps its generations and moves them and its life on.
    struct Slot
    {
        Client* query = nullptr;
        qint64 scheduleBase = 0;
        std::array<quint32, 3> generation{};
        quint32 v4 = 0; // the route's IPv4 address; an IPv6 route is in m_v6Routes
        quint16 port = 0;
        qint16 socket = -1; // the route's socket, -1 while it has none
        quint32 life : 24 = 0;
        quint32 on : 3 = 0; // a bit for each kind of deadline
        bool sendPending : 1 = false;
        // The server answered its last try: its silence now says something about the path.
        bool answering : 1 = false;
        // Its last try went out above the home pace: silence now is taken for loss too.
        bool sentBeyond : 1 = false;
    };
    static constexpr quint32 LifeMask = (1U << 24) - 1;
    // Ordered by `key`: the due time above, the order it was set in below, so that deadlines due
    // in the same millisecond run in the order they were set (but for one wrap in 16 million).
    struct Deadline
    {
        quint64 key;
        quint32 idAndKind; // the kind in the top two bits
        quint32 generation;
        bool operator>(const Deadline& other) const { return key > other.key; }
    };
    static constexpr int DeadlineOrderBits = 24;
    static constexpr quint32 KindShift = 30;
    // A remote IPv6 endpoint, the key of an IPv6 socket's routes.
    struct Endpoint6
    {
        quint64 high = 0;
        quint64 low = 0;
        quint16 port = 0;
        bool operator==(const Endpoint6&) const = default;
    };
    friend size_t qHash(const Endpoint6& endpoint, size_t seed)
    {
        return qHashMulti(seed, endpoint.high, endpoint.low, endpoint.port);
    }
    static Endpoint6 endpoint6Of(const QHostAddress& address, quint16 port);
    static quint64 key4(quint32 address, quint16 port) { return quint64{address} << 16 | port; }
    // Where a server is: an IPv4 number, or a whole IPv6 address (its scope goes with it).
    struct Target
    {
        std::optional<QHostAddress> v6;
        quint32 v4 = 0;
        bool known = false;
    };
    static Target targetOf(const QHostAddress& address);
    // A literal address in `host`, without a heap copy for the usual dotted IPv4 one.
    static bool literalTarget(const QString& host, Target& target);
    struct HostEntry
    {
        Target address; // unknown until looked up
        qint64 resolvedAt = -1;
        bool pending = false;
        bool failed = false;
        std::vector<Ticket> waiting; // queries to send once the name is known
    };
    struct Socket
    {
        std::unique_ptr<QUdpSocket> udp;
        bool v6 = false;
        // Each remote endpoint is served at most once by a socket: its answers reach one query.
        QHash<quint64, quint32> routes4;
        QHash<Endpoint6, quint32> routes6;
    };
    struct Route6
    {
        Endpoint6 endpoint;
        QHostAddress address;
    };

    // The attached slot of `id`, or null.
    Slot* slotOf(quint32 id) { return id - 1 < m_slots.size() && m_slots[id - 1].query ? &m_slots[id - 1] : nullptr; }
    const Slot* slotOf(quint32 id) const { return const_cast<QueryEngine*>(this)->slotOf(id); }
    Slot* slotOf(const Ticket& ticket)
    {
        Slot* slot = slotOf(ticket.id);
        return slot && slot->life == ticket.life ? slot : nullptr;
    }
    static bool isOn(const Slot& slot, DeadlineKind kind) { return slot.on & (1U << int(kind)); }
    static void setOn(Slot& slot, DeadlineKind kind, bool on)
    {
        slot.on = on ? slot.on | (1U << int(kind)) : slot.on & ~(1U << int(kind));
    }
    void addDeadline(quint32 id, DeadlineKind kind, qint64 due, quint32 generation);
    static qint64 dueOf(const Deadline& deadline) { return qint64(deadline.key >> DeadlineOrderBits); }
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
    int registerRoute(quint32 id, const Target& target, quint16 port);
    // Sends a query's tries, or ends its cycle as refused when its family has no socket.
    void transmitTo(quint32 id, const Target& target);
    void readDatagrams(int socketIndex);
    // Hands the datagram just read to the query that awaits it, if any.
    void deliver(int socketIndex, const QHostAddress& sender, quint16 senderPort);
    // Reads the socket's queued ICMP errors; a port unreachable ends the matching query's try.
    void readErrors(int socketIndex);
    QUdpSocket* socket(int index) const { return m_sockets.at(index).udp.get(); }

    const Clock& m_clock;
    Timing m_timing;
    bool m_scheduleEnabled = true;
    AnswerErrorSink* m_errorSink = nullptr;
    std::function<const EngineProtocol*(const QString&)> m_resolver;
    std::function<qint32()> m_ticks;
    HostResolver m_hostResolver;
    FriendList m_friendList;
    QElapsedTimer m_elapsed;

    // Indexed by id - 1; ids of detached query objects are handed out again.
    std::vector<Slot> m_slots;
    std::vector<quint32> m_freeIds;
    // A heap, grown by a quarter at a time: a doubled vector would keep half of it idle for good.
    std::vector<Deadline> m_deadlines;
    quint32 m_deadlineOrder = 0;
    QTimer m_timer;

    std::vector<Socket> m_sockets;
    bool m_ipv6Unavailable = false;
    // The IPv6 routes by query id; few servers have one.
    QHash<quint32, Route6> m_v6Routes;

    std::deque<Ticket> m_sendQueue;
    QTimer m_paceTimer;
    SendPacer m_pacer;
    QHash<QString, HostEntry> m_hosts;
    quint64 m_unawaited = 0;
    Counters m_counters;
    quint64 m_refusals = 0;
    QByteArray m_datagram;
};

} // namespace trevisk
