#include "query/QueryEngine.h"

#include "core/Clock.h"
#include "query/EngineProtocol.h"
#include "query/ServerQuery.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>

namespace trevisk {

namespace {

// Big enough for a round of answers that arrive while the event loop is busy elsewhere.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
// Queued queries go out in small groups, one group a tick: far fewer wake-ups than one send
// a tick, and a group stays within the bucket's burst.
constexpr std::chrono::milliseconds PaceTick{10};

} // namespace

QueryEngine::QueryEngine(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_resolver([](const QString& game) { return protocolForGame(game); })
    , m_ticks(&getTicks)
{
    m_elapsed.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &QueryEngine::runDueDeadlines);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &QueryEngine::drainSendQueue);
}

QueryEngine::~QueryEngine()
{
    // Queries that outlive the engine must not call back into it.
    for (ServerQuery* query : std::as_const(m_queries))
        query->m_id = 0;
}

void QueryEngine::setTiming(const Timing& timing)
{
    const bool refreshChanged = timing.refresh != m_timing.refresh;
    m_timing = timing;
    if (refreshChanged)
        rescheduleAll();
}

void QueryEngine::setRefreshInterval(std::chrono::milliseconds interval)
{
    if (interval == m_timing.refresh)
        return;
    m_timing.refresh = interval;
    rescheduleAll();
}

void QueryEngine::setScheduleEnabled(bool enabled)
{
    if (enabled == m_scheduleEnabled)
        return;
    m_scheduleEnabled = enabled;
    if (enabled) {
        // Servers that fell due while the schedule was off are queried now, paced.
        for (ServerQuery* query : std::as_const(m_queries)) {
            if (query->m_timerOn[int(DeadlineKind::Schedule)])
                query->m_scheduleBase = std::min(query->m_scheduleBase, now() - m_timing.refresh.count());
        }
    }
    rescheduleAll();
}

void QueryEngine::setProtocolResolver(std::function<const EngineProtocol*(const QString&)> resolver)
{
    m_resolver = std::move(resolver);
}

const EngineProtocol* QueryEngine::protocolFor(const QString& game) const
{
    return m_resolver ? m_resolver(game) : nullptr;
}

quint32 QueryEngine::attach(ServerQuery* query)
{
    const quint32 id = m_nextId++;
    m_queries.insert(id, query);
    return id;
}

void QueryEngine::detach(quint32 id)
{
    unregisterRoute(id);
    m_queries.remove(id);
}

void QueryEngine::addDeadline(quint32 id, DeadlineKind kind, qint64 due, quint64 generation)
{
    m_deadlines.push({due, m_deadlineOrder++, id, kind, generation});
    const qint64 wait = std::max<qint64>(0, due - now());
    if (!m_timer.isActive() || m_timer.remainingTime() > wait)
        m_timer.start(static_cast<int>(std::min<qint64>(wait, INT_MAX)));
}

void QueryEngine::armTimer()
{
    // Cancelled deadlines stay in the heap until they reach its top; drop them there.
    while (!m_deadlines.empty()) {
        const Deadline& top = m_deadlines.top();
        ServerQuery* query = m_queries.value(top.queryId);
        if (query && query->m_timerOn[int(top.kind)] && query->m_generation[int(top.kind)] == top.generation)
            break;
        m_deadlines.pop();
    }
    if (m_deadlines.empty()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, m_deadlines.top().due - now());
    m_timer.start(static_cast<int>(std::min<qint64>(wait, INT_MAX)));
}

void QueryEngine::runDueDeadlines()
{
    const qint64 current = now();
    while (!m_deadlines.empty() && m_deadlines.top().due <= current) {
        const Deadline deadline = m_deadlines.top();
        m_deadlines.pop();
        ServerQuery* query = m_queries.value(deadline.queryId);
        const int kind = int(deadline.kind);
        if (!query || !query->m_timerOn[kind] || query->m_generation[kind] != deadline.generation)
            continue;
        query->deadlineReached(kind);
    }
    armTimer();
}

void QueryEngine::rescheduleAll()
{
    for (ServerQuery* query : std::as_const(m_queries)) {
        const int kind = int(DeadlineKind::Schedule);
        if (!query->m_timerOn[kind])
            continue;
        ++query->m_generation[kind];
        if (m_scheduleEnabled) {
            const qint64 due = std::max(now(), query->m_scheduleBase + m_timing.refresh.count());
            addDeadline(query->m_id, DeadlineKind::Schedule, due, query->m_generation[kind]);
        }
    }
    armTimer();
}

void QueryEngine::requestSend(quint32 id, bool urgent)
{
    ServerQuery* query = m_queries.value(id);
    if (!query || query->m_sendPending)
        return;
    if (m_timing.queriesPerSecond <= 0) {
        performSend(id);
        return;
    }
    // A token bucket: a small burst at once, then an even rate.
    const double rate = m_timing.queriesPerSecond;
    const double burst = std::max(1.0, rate / 20.0);
    const qint64 current = now();
    m_sendTokens = std::min(burst, m_sendTokens + (current - m_tokensAt) * rate / 1000.0);
    m_tokensAt = current;
    if (m_sendQueue.empty() && m_sendTokens >= 1.0) {
        m_sendTokens -= 1.0;
        performSend(id);
        return;
    }
    query->m_sendPending = true;
    if (urgent)
        m_sendQueue.push_front(id);
    else
        m_sendQueue.push_back(id);
    if (!m_paceTimer.isActive())
        m_paceTimer.start(PaceTick);
}

void QueryEngine::cancelSend(quint32 id)
{
    if (ServerQuery* query = m_queries.value(id))
        query->m_sendPending = false;
}

void QueryEngine::drainSendQueue()
{
    const double rate = std::max(1, m_timing.queriesPerSecond);
    const double burst = std::max(1.0, rate / 20.0);
    const qint64 current = now();
    m_sendTokens = std::min(burst, m_sendTokens + (current - m_tokensAt) * rate / 1000.0);
    m_tokensAt = current;
    while (!m_sendQueue.empty() && m_sendTokens >= 1.0) {
        const quint32 id = m_sendQueue.front();
        m_sendQueue.pop_front();
        ServerQuery* query = m_queries.value(id);
        if (!query || !query->m_sendPending)
            continue;
        m_sendTokens -= 1.0;
        performSend(id);
    }
    if (m_sendQueue.empty())
        m_paceTimer.stop();
}

void QueryEngine::performSend(quint32 id)
{
    ServerQuery* query = m_queries.value(id);
    if (!query)
        return;
    query->m_sendPending = false;
    const QString host = query->m_host;
    QHostAddress address;
    if (address.setAddress(host) && address.protocol() == QAbstractSocket::IPv4Protocol) {
        query->transmit(registerRoute(id, address, query->m_remotePort), address);
        return;
    }
    HostEntry& entry = m_hosts[host];
    const bool fresh =
        entry.resolvedAt >= 0 && !entry.failed && now() - entry.resolvedAt < m_timing.hostCacheAge.count();
    if (fresh) {
        query->transmit(registerRoute(id, entry.address, query->m_remotePort), entry.address);
        return;
    }
    if (std::find(entry.waiting.begin(), entry.waiting.end(), id) == entry.waiting.end())
        entry.waiting.push_back(id);
    if (!entry.pending)
        lookUpHost(host);
}

void QueryEngine::lookUpHost(const QString& host)
{
    m_hosts[host].pending = true;
    QHostInfo::lookupHost(host, this, [this, host](const QHostInfo& info) {
        QHostAddress found;
        for (const QHostAddress& address : info.addresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                found = address;
                break;
            }
        }
        hostLookedUp(host, found);
    });
}

void QueryEngine::hostLookedUp(const QString& host, const QHostAddress& address)
{
    HostEntry& entry = m_hosts[host];
    entry.pending = false;
    entry.address = address;
    entry.failed = address.isNull();
    entry.resolvedAt = now();
    const std::vector<quint32> waiting = std::exchange(entry.waiting, {});
    for (quint32 id : waiting) {
        ServerQuery* query = m_queries.value(id);
        if (!query || query->m_host != host)
            continue;
        // An unknown name sends nothing: the cycle ends by time-out, as for a silent server.
        if (address.isNull())
            query->transmit(-1, {});
        else
            query->transmit(registerRoute(id, address, query->m_remotePort), address);
    }
}

int QueryEngine::registerRoute(quint32 id, const QHostAddress& address, quint16 port)
{
    const Endpoint endpoint{address.toIPv4Address(), port};
    const auto existing = m_routeOf.constFind(id);
    if (existing != m_routeOf.constEnd() && existing->endpoint == endpoint)
        return existing->socket;
    unregisterRoute(id);
    size_t index = 0;
    while (index < m_routes.size() && m_routes[index].contains(endpoint))
        ++index;
    if (index == m_sockets.size()) {
        auto socket = std::make_unique<QUdpSocket>();
        socket->bind(QHostAddress::AnyIPv4, 0);
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, ReceiveBufferBytes);
        const int socketIndex = static_cast<int>(index);
        connect(socket.get(), &QUdpSocket::readyRead, this, [this, socketIndex] { readDatagrams(socketIndex); });
        m_sockets.push_back(std::move(socket));
        m_routes.emplace_back();
    }
    m_routes[index].insert(endpoint, id);
    m_routeOf.insert(id, {static_cast<int>(index), endpoint});
    return static_cast<int>(index);
}

void QueryEngine::unregisterRoute(quint32 id)
{
    const auto it = m_routeOf.find(id);
    if (it == m_routeOf.end())
        return;
    m_routes[it->socket].remove(it->endpoint);
    m_routeOf.erase(it);
}

void QueryEngine::readDatagrams(int socketIndex)
{
    QUdpSocket* udp = socket(socketIndex);
    while (udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = udp->receiveDatagram();
        // Only the address and port that were queried are heard; anything else is dropped.
        const Endpoint from{datagram.senderAddress().toIPv4Address(), static_cast<quint16>(datagram.senderPort())};
        const quint32 id = m_routes[socketIndex].value(from);
        ServerQuery* query = id ? m_queries.value(id) : nullptr;
        if (query && !query->receive(datagram.data()))
            ++m_unawaited;
    }
}

} // namespace trevisk
