#include "query/QueryEngine.h"

#include "core/Clock.h"
#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"

#include <QHostInfo>
#include <QPointer>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace trevisk {

namespace {

// Big enough for a round of answers that arrive while the event loop is busy elsewhere.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
constexpr qint64 MaxDatagramBytes = 65536;
// Queued queries go out in small groups, one group a tick: far fewer wake-ups than one send
// a tick, and a group stays within the bucket's burst.
constexpr std::chrono::milliseconds PaceTick{10};
// Errors read at one wake-up; more wait for the next, so a storm of them cannot starve the answers.
constexpr int MaxErrorsPerWake = 256;

// An unconnected UDP socket hears of ICMP errors only when asked to queue them.
void askForErrors(QUdpSocket& socket, bool v6)
{
#ifdef Q_OS_LINUX
    const int on = 1;
    if (v6)
        ::setsockopt(int(socket.socketDescriptor()), IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on);
    else
        ::setsockopt(int(socket.socketDescriptor()), IPPROTO_IP, IP_RECVERR, &on, sizeof on);
#else
    Q_UNUSED(socket);
    Q_UNUSED(v6);
#endif
}

// An IPv4 address written in IPv6's mapped form goes out as IPv4: the IPv6 sockets take IPv6 only.
QHostAddress plainAddress(const QHostAddress& address)
{
    bool mapped = false;
    const quint32 v4 = address.protocol() == QAbstractSocket::IPv6Protocol ? address.toIPv4Address(&mapped) : 0;
    return mapped ? QHostAddress(v4) : address;
}

} // namespace

QueryEngine::QueryEngine(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_resolver([](const QString& game) { return protocolForGame(game); })
    , m_ticks(&getTicks)
    , m_hostResolver([this](const QString& host, std::function<void(const QHostAddress&)> done) {
        QHostInfo::lookupHost(host, this, [done = std::move(done)](const QHostInfo& info) {
            const QList<QHostAddress> addresses = info.addresses();
            auto found = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& address) {
                return address.protocol() == QAbstractSocket::IPv4Protocol;
            });
            if (found == addresses.end()) {
                found = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& address) {
                    return address.protocol() == QAbstractSocket::IPv6Protocol;
                });
            }
            done(found == addresses.end() ? QHostAddress() : *found);
        });
    })
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
    for (const Slot& slot : std::as_const(m_slots))
        slot.query->engineGone();
}

void QueryEngine::setTiming(const Timing& timing)
{
    const bool refreshChanged = timing.refresh != m_timing.refresh;
    m_timing = timing;
    m_pacer.setCeiling(timing.queriesPerSecond, timing.openQueriesPerSecond);
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
        for (Slot& slot : m_slots) {
            if (slot.on[int(DeadlineKind::Schedule)])
                slot.scheduleBase = std::min(slot.scheduleBase, now() - m_timing.refresh.count());
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

quint32 QueryEngine::attach(Client* query)
{
    const quint32 id = m_nextId++;
    m_slots.insert(id, Slot{query, {}, {}, 0, false, false});
    return id;
}

void QueryEngine::detach(quint32 id)
{
    unregisterRoute(id);
    m_slots.remove(id);
}

void QueryEngine::startDeadline(quint32 id, DeadlineKind kind, qint64 due)
{
    const auto slot = m_slots.find(id);
    if (slot == m_slots.end())
        return;
    slot->on[int(kind)] = true;
    addDeadline(id, kind, due, ++slot->generation[int(kind)]);
}

void QueryEngine::stopDeadline(quint32 id, DeadlineKind kind)
{
    const auto slot = m_slots.find(id);
    if (slot == m_slots.end())
        return;
    slot->on[int(kind)] = false;
    ++slot->generation[int(kind)];
}

bool QueryEngine::deadlineOn(quint32 id, DeadlineKind kind) const
{
    const auto slot = m_slots.constFind(id);
    return slot != m_slots.constEnd() && slot->on[int(kind)];
}

void QueryEngine::startSchedule(quint32 id, qint64 from)
{
    const auto slot = m_slots.find(id);
    if (slot == m_slots.end())
        return;
    slot->scheduleBase = from;
    if (m_scheduleEnabled) {
        startDeadline(id, DeadlineKind::Schedule, from + m_timing.refresh.count());
    } else {
        slot->on[int(DeadlineKind::Schedule)] = true;
        ++slot->generation[int(DeadlineKind::Schedule)];
    }
}

bool QueryEngine::sendPending(quint32 id) const
{
    const auto slot = m_slots.constFind(id);
    return slot != m_slots.constEnd() && slot->sendPending;
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
        const auto slot = m_slots.constFind(top.queryId);
        if (slot != m_slots.constEnd() && slot->on[int(top.kind)] && slot->generation[int(top.kind)] == top.generation)
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
        const auto slot = m_slots.find(deadline.queryId);
        const int kind = int(deadline.kind);
        if (slot == m_slots.end() || !slot->on[kind] || slot->generation[kind] != deadline.generation)
            continue;
        slot->on[kind] = false;
        if (deadline.kind == DeadlineKind::TimeOut
            && (std::exchange(slot->answering, false) | std::exchange(slot->sentBeyond, false)))
            m_pacer.lost(current);
        slot->query->deadlineReached(deadline.kind);
    }
    armTimer();
}

void QueryEngine::rescheduleAll()
{
    for (auto slot = m_slots.begin(); slot != m_slots.end(); ++slot) {
        const int kind = int(DeadlineKind::Schedule);
        if (!slot->on[kind])
            continue;
        ++slot->generation[kind];
        if (m_scheduleEnabled) {
            const qint64 due = std::max(now(), slot->scheduleBase + m_timing.refresh.count());
            addDeadline(slot.key(), DeadlineKind::Schedule, due, slot->generation[kind]);
        }
    }
    armTimer();
}

void QueryEngine::requestSend(quint32 id, bool urgent)
{
    const auto slot = m_slots.find(id);
    if (slot == m_slots.end() || slot->sendPending)
        return;
    if (m_sendQueue.empty() && m_pacer.take(now())) {
        performSend(id);
        return;
    }
    slot->sendPending = true;
    if (urgent)
        m_sendQueue.push_front(id);
    else
        m_sendQueue.push_back(id);
    if (!m_paceTimer.isActive())
        m_paceTimer.start(PaceTick);
}

void QueryEngine::cancelSend(quint32 id)
{
    const auto slot = m_slots.find(id);
    if (slot != m_slots.end())
        slot->sendPending = false;
}

void QueryEngine::drainSendQueue()
{
    const qint64 current = now();
    while (!m_sendQueue.empty()) {
        const quint32 id = m_sendQueue.front();
        if (!sendPending(id)) {
            m_sendQueue.pop_front();
            continue;
        }
        if (!m_pacer.take(current))
            break;
        m_sendQueue.pop_front();
        performSend(id);
    }
    if (m_sendQueue.empty())
        m_paceTimer.stop();
}

void QueryEngine::performSend(quint32 id)
{
    const auto slot = m_slots.find(id);
    if (slot == m_slots.end())
        return;
    slot->sendPending = false;
    slot->sentBeyond = m_pacer.beyondCeiling();
    Client* query = slot->query;
    const QString host = query->host();
    QHostAddress address;
    if (!host.contains(QLatin1Char('%')) && address.setAddress(host)) {
        transmitTo(id, query, address);
        return;
    }
    HostEntry& entry = m_hosts[host];
    const bool fresh =
        entry.resolvedAt >= 0 && !entry.failed && now() - entry.resolvedAt < m_timing.hostCacheAge.count();
    if (fresh) {
        transmitTo(id, query, entry.address);
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
    QPointer<QueryEngine> self(this);
    m_hostResolver(host, [self, host](const QHostAddress& address) {
        if (self)
            self->hostLookedUp(host, address);
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
        const auto slot = m_slots.constFind(id);
        Client* query = slot == m_slots.constEnd() ? nullptr : slot->query;
        if (!query || query->host() != host)
            continue;
        // An unknown name sends nothing: the cycle ends by time-out, as for a silent server.
        if (address.isNull())
            query->transmit(-1, {});
        else
            transmitTo(id, query, address);
    }
}

void QueryEngine::transmitTo(quint32 id, Client* query, const QHostAddress& address)
{
    const QHostAddress to = plainAddress(address);
    const int socketIndex = registerRoute(id, to, query->remotePort());
    if (socketIndex >= 0) {
        query->transmit(socketIndex, to);
        return;
    }
    // Nothing can go out: the cycle ends at once, saying why, instead of after every try's time-out.
    query->transmit(-1, {});
    query->refuse(reasonText(reason::NoIPv6));
}

QueryEngine::Endpoint QueryEngine::endpointOf(const QHostAddress& address, quint16 port)
{
    Endpoint endpoint;
    endpoint.port = port;
    if (address.protocol() != QAbstractSocket::IPv6Protocol) {
        endpoint.low = address.toIPv4Address();
        return endpoint;
    }
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 8; ++i) {
        endpoint.high = endpoint.high << 8 | bytes[i];
        endpoint.low = endpoint.low << 8 | bytes[i + 8];
    }
    return endpoint;
}

int QueryEngine::registerRoute(quint32 id, const QHostAddress& address, quint16 port)
{
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    const Endpoint endpoint = endpointOf(address, port);
    const auto existing = m_routeOf.constFind(id);
    if (existing != m_routeOf.constEnd() && existing->endpoint == endpoint && m_socketIsV6[existing->socket] == v6)
        return existing->socket;
    unregisterRoute(id);
    size_t index = 0;
    while (index < m_routes.size() && (m_socketIsV6[index] != v6 || m_routes[index].contains(endpoint)))
        ++index;
    if (index == m_sockets.size()) {
        auto socket = std::make_unique<QUdpSocket>();
        // The IPv6 socket takes IPv6 only (Qt binds AnyIPv6 so): IPv4 answers keep to the IPv4 sockets.
        const bool bound =
            v6 ? !m_ipv6Unavailable && socket->bind(QHostAddress::AnyIPv6, 0) : socket->bind(QHostAddress::AnyIPv4, 0);
        if (v6 && !bound)
            return -1;
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, ReceiveBufferBytes);
        askForErrors(*socket, v6);
        const int socketIndex = static_cast<int>(index);
        connect(socket.get(), &QUdpSocket::readyRead, this, [this, socketIndex] { readDatagrams(socketIndex); });
        m_sockets.push_back(std::move(socket));
        m_socketIsV6.push_back(v6);
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
    QHostAddress sender;
    quint16 senderPort = 0;
    bool readAny = false;
    while (udp->hasPendingDatagrams()) {
        readAny = true;
        // One buffer for every datagram: an answer that is kept elsewhere detaches it then.
        m_datagram.resize(MaxDatagramBytes);
        const qint64 size = udp->readDatagram(m_datagram.data(), MaxDatagramBytes, &sender, &senderPort);
        if (size < 0)
            break;
        m_datagram.resize(size);
        deliver(socketIndex, sender, senderPort);
    }
    if (readAny)
        return;
    // A wake-up with nothing to read is a queued error; left there, it would wake the loop forever.
    readErrors(socketIndex);
    // Qt stops watching a socket that woke with nothing to read until the next read: this read
    // re-arms it, and a datagram that came meanwhile is an answer like any other.
    m_datagram.resize(MaxDatagramBytes);
    const qint64 size = udp->readDatagram(m_datagram.data(), MaxDatagramBytes, &sender, &senderPort);
    if (size >= 0) {
        m_datagram.resize(size);
        deliver(socketIndex, sender, senderPort);
    }
}

void QueryEngine::deliver(int socketIndex, const QHostAddress& sender, quint16 senderPort)
{
    // Only the address and port that were queried are heard; anything else is dropped.
    const quint32 id = m_routes[socketIndex].value(endpointOf(sender, senderPort));
    const auto slot = id ? m_slots.constFind(id) : m_slots.constEnd();
    if (slot == m_slots.constEnd())
        return;
    if (!slot->query->receive(m_datagram)) {
        ++m_unawaited;
        return;
    }
    // The owner may have stopped or removed the query while it took the answer.
    const auto after = m_slots.find(id);
    if (after == m_slots.end())
        return;
    after->answering = true;
    after->sentBeyond = false;
    const Client* query = after->query;
    if (query->retries() == 0 && query->ping() <= m_timing.timeOut.count() / 2)
        m_pacer.answeredInTime(m_datagram.size());
}

void QueryEngine::readErrors(int socketIndex)
{
#ifdef Q_OS_LINUX
    const int fd = int(socket(socketIndex)->socketDescriptor());
    if (fd < 0)
        return;
    const bool v6 = m_socketIsV6[socketIndex];
    for (int i = 0; i < MaxErrorsPerWake; ++i) {
        sockaddr_in6 target{};
        char data[64];
        alignas(cmsghdr) char control[256];
        iovec part{data, sizeof data};
        msghdr message{};
        message.msg_name = &target;
        message.msg_namelen = sizeof target;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
            break;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (v6 ? header->cmsg_level != IPPROTO_IPV6 || header->cmsg_type != IPV6_RECVERR
                   : header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err error{};
            std::memcpy(&error, CMSG_DATA(header), sizeof error);
            // Only "port unreachable" says that nothing listens; other errors may pass, and the tries go on.
            const bool portUnreachable =
                v6 ? error.ee_origin == SO_EE_ORIGIN_ICMP6 && error.ee_type == 1 && error.ee_code == 4
                   : error.ee_origin == SO_EE_ORIGIN_ICMP && error.ee_type == 3 && error.ee_code == 3;
            if (!portUnreachable)
                continue;
            ++m_refusals;
            // The name is where the refused datagram went: the route tells whose query it was.
            QHostAddress address;
            address.setAddress(reinterpret_cast<const sockaddr*>(&target));
            const Endpoint to = endpointOf(address, ntohs(target.sin6_port));
            const quint32 id = m_routes[socketIndex].value(to);
            const auto slot = id ? m_slots.constFind(id) : m_slots.constEnd();
            if (slot != m_slots.constEnd())
                slot->query->refuse(QString());
        }
    }
    // The pending socket error goes too, or the next send would fail with it.
    int pending = 0;
    socklen_t size = sizeof pending;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size);
#else
    Q_UNUSED(socketIndex);
#endif
}

void QueryEngine::sendDatagram(int socketIndex, const QByteArray& datagram, const QHostAddress& address, quint16 port)
{
    QUdpSocket* udp = socket(socketIndex);
    // An ICMP error that came since the last read is handed to the next send as its failure; the
    // datagram did not go, and goes once more.
    if (udp->writeDatagram(datagram, address, port) < 0)
        udp->writeDatagram(datagram, address, port);
}

} // namespace trevisk
