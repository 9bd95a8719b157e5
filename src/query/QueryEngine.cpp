#include "query/QueryEngine.h"

#include "core/Clock.h"
#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"

#include <QHostInfo>
#include <QPointer>
#include <QUdpSocket>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

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
    for (const Slot& slot : m_slots) {
        if (slot.query)
            slot.query->engineGone();
    }
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
            if (slot.query && isOn(slot, DeadlineKind::Schedule))
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
    quint32 id = 0;
    if (!m_freeIds.empty()) {
        id = m_freeIds.back();
        m_freeIds.pop_back();
    } else {
        if (m_slots.size() == m_slots.capacity())
            m_slots.reserve(m_slots.size() + m_slots.size() / 4 + 64);
        m_slots.emplace_back();
        id = static_cast<quint32>(m_slots.size());
    }
    m_slots[id - 1].query = query;
    return id;
}

void QueryEngine::detach(quint32 id)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return;
    unregisterRoute(id);
    // What the old query left in the heap, the send queue or a host's waiters stays there and
    // must not reach the next one: its generations and its life move on.
    for (quint32& generation : slot->generation)
        ++generation;
    const quint32 life = (slot->life + 1) & LifeMask;
    Slot fresh;
    fresh.generation = slot->generation;
    fresh.life = life;
    *slot = fresh;
    m_freeIds.push_back(id);
}

void QueryEngine::startDeadline(quint32 id, DeadlineKind kind, qint64 due)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return;
    setOn(*slot, kind, true);
    addDeadline(id, kind, due, ++slot->generation[int(kind)]);
}

void QueryEngine::stopDeadline(quint32 id, DeadlineKind kind)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return;
    setOn(*slot, kind, false);
    ++slot->generation[int(kind)];
}

bool QueryEngine::deadlineOn(quint32 id, DeadlineKind kind) const
{
    const Slot* slot = slotOf(id);
    return slot && isOn(*slot, kind);
}

void QueryEngine::startSchedule(quint32 id, qint64 from)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return;
    slot->scheduleBase = from;
    if (m_scheduleEnabled) {
        startDeadline(id, DeadlineKind::Schedule, from + m_timing.refresh.count());
    } else {
        setOn(*slot, DeadlineKind::Schedule, true);
        ++slot->generation[int(DeadlineKind::Schedule)];
    }
}

bool QueryEngine::sendPending(quint32 id) const
{
    const Slot* slot = slotOf(id);
    return slot && slot->sendPending;
}

void QueryEngine::addDeadline(quint32 id, DeadlineKind kind, qint64 due, quint32 generation)
{
    // 40 bits of milliseconds since the engine started: decades.
    constexpr qint64 Latest = (qint64{1} << (64 - DeadlineOrderBits)) - 1;
    const quint64 at = quint64(std::clamp<qint64>(due, 0, Latest));
    const quint64 order = m_deadlineOrder++ & ((1U << DeadlineOrderBits) - 1);
    if (m_deadlines.size() == m_deadlines.capacity())
        m_deadlines.reserve(m_deadlines.size() + m_deadlines.size() / 4 + 64);
    m_deadlines.push_back({at << DeadlineOrderBits | order, id | quint32(kind) << KindShift, generation});
    std::push_heap(m_deadlines.begin(), m_deadlines.end(), std::greater<>());
    const qint64 wait = std::max<qint64>(0, due - now());
    if (!m_timer.isActive() || m_timer.remainingTime() > wait)
        m_timer.start(static_cast<int>(std::min<qint64>(wait, INT_MAX)));
}

void QueryEngine::armTimer()
{
    // Cancelled deadlines stay in the heap until they reach its top; drop them there.
    while (!m_deadlines.empty()) {
        const Deadline& top = m_deadlines.front();
        const auto kind = DeadlineKind(top.idAndKind >> KindShift);
        const Slot* slot = slotOf(top.idAndKind & ((1U << KindShift) - 1));
        if (slot && isOn(*slot, kind) && slot->generation[int(kind)] == top.generation)
            break;
        std::pop_heap(m_deadlines.begin(), m_deadlines.end(), std::greater<>());
        m_deadlines.pop_back();
    }
    // The start of a long list, or a new interval, leaves room for twice the deadlines that stay.
    if (m_deadlines.capacity() > 4096 && m_deadlines.size() < m_deadlines.capacity() / 2)
        m_deadlines.shrink_to_fit();
    if (m_deadlines.empty()) {
        m_timer.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, dueOf(m_deadlines.front()) - now());
    m_timer.start(static_cast<int>(std::min<qint64>(wait, INT_MAX)));
}

void QueryEngine::runDueDeadlines()
{
    const qint64 current = now();
    while (!m_deadlines.empty() && dueOf(m_deadlines.front()) <= current) {
        std::pop_heap(m_deadlines.begin(), m_deadlines.end(), std::greater<>());
        const Deadline deadline = m_deadlines.back();
        m_deadlines.pop_back();
        const auto kind = DeadlineKind(deadline.idAndKind >> KindShift);
        Slot* slot = slotOf(deadline.idAndKind & ((1U << KindShift) - 1));
        if (!slot || !isOn(*slot, kind) || slot->generation[int(kind)] != deadline.generation)
            continue;
        setOn(*slot, kind, false);
        if (kind == DeadlineKind::TimeOut) {
            const bool lost = slot->answering || slot->sentBeyond;
            slot->answering = false;
            slot->sentBeyond = false;
            if (lost)
                m_pacer.lost(current);
        }
        slot->query->deadlineReached(kind);
    }
    armTimer();
}

void QueryEngine::rescheduleAll()
{
    for (size_t index = 0; index < m_slots.size(); ++index) {
        Slot& slot = m_slots[index];
        if (!slot.query || !isOn(slot, DeadlineKind::Schedule))
            continue;
        const quint32 generation = ++slot.generation[int(DeadlineKind::Schedule)];
        if (m_scheduleEnabled) {
            const qint64 due = std::max(now(), slot.scheduleBase + m_timing.refresh.count());
            addDeadline(quint32(index + 1), DeadlineKind::Schedule, due, generation);
        }
    }
    armTimer();
}

void QueryEngine::requestSend(quint32 id, bool urgent)
{
    Slot* slot = slotOf(id);
    if (!slot || slot->sendPending)
        return;
    if (m_sendQueue.empty() && m_pacer.take(now())) {
        performSend(id);
        return;
    }
    slot->sendPending = true;
    if (urgent)
        m_sendQueue.push_front({id, slot->life});
    else
        m_sendQueue.push_back({id, slot->life});
    if (!m_paceTimer.isActive())
        m_paceTimer.start(PaceTick);
}

void QueryEngine::cancelSend(quint32 id)
{
    if (Slot* slot = slotOf(id))
        slot->sendPending = false;
}

void QueryEngine::drainSendQueue()
{
    const qint64 current = now();
    while (!m_sendQueue.empty()) {
        const Ticket ticket = m_sendQueue.front();
        const Slot* slot = slotOf(ticket);
        if (!slot || !slot->sendPending) {
            m_sendQueue.pop_front();
            continue;
        }
        if (!m_pacer.take(current))
            break;
        m_sendQueue.pop_front();
        performSend(ticket.id);
    }
    if (m_sendQueue.empty())
        m_paceTimer.stop();
}

bool QueryEngine::literalTarget(const QString& host, Target& target)
{
    // Strict dotted decimal, the form nearly every listed server has; anything else is Qt's to read.
    quint32 value = 0;
    int parts = 0;
    int digits = 0;
    quint32 part = 0;
    bool plain = !host.isEmpty();
    for (qsizetype i = 0; plain && i <= host.size(); ++i) {
        const char16_t c = i < host.size() ? host[i].unicode() : u'.';
        if (c >= u'0' && c <= u'9' && digits < 3 && !(digits == 1 && part == 0)) {
            part = part * 10 + (c - u'0');
            ++digits;
        } else if (c == u'.' && digits > 0 && part <= 255 && parts < 4) {
            value = value << 8 | part;
            ++parts;
            digits = 0;
            part = 0;
        } else {
            plain = false;
        }
    }
    if (plain && parts == 4) {
        target = {std::nullopt, value, true};
        return true;
    }
    QHostAddress address;
    if (host.contains(QLatin1Char('%')) || !address.setAddress(host))
        return false;
    target = targetOf(address);
    return true;
}

QueryEngine::Target QueryEngine::targetOf(const QHostAddress& address)
{
    if (address.isNull())
        return {};
    // An IPv4 address written in IPv6's mapped form goes out as IPv4: the IPv6 sockets take IPv6 only.
    bool mapped = false;
    const quint32 v4 =
        address.protocol() == QAbstractSocket::IPv6Protocol ? address.toIPv4Address(&mapped) : address.toIPv4Address();
    if (address.protocol() == QAbstractSocket::IPv6Protocol && !mapped)
        return {address, 0, true};
    return {std::nullopt, v4, true};
}

void QueryEngine::performSend(quint32 id)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return;
    slot->sendPending = false;
    slot->sentBeyond = m_pacer.beyondCeiling();
    const Ticket ticket{id, slot->life};
    const QString host = slot->query->host();
    Target target;
    if (literalTarget(host, target)) {
        transmitTo(id, target);
        return;
    }
    HostEntry& entry = m_hosts[host];
    const bool fresh =
        entry.resolvedAt >= 0 && !entry.failed && now() - entry.resolvedAt < m_timing.hostCacheAge.count();
    if (fresh) {
        transmitTo(id, entry.address);
        return;
    }
    const auto same = [&ticket](const Ticket& other) { return other.id == ticket.id && other.life == ticket.life; };
    if (std::none_of(entry.waiting.begin(), entry.waiting.end(), same))
        entry.waiting.push_back(ticket);
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
    entry.address = targetOf(address);
    entry.failed = !entry.address.known;
    entry.resolvedAt = now();
    const Target target = entry.address;
    const std::vector<Ticket> waiting = std::exchange(entry.waiting, {});
    for (const Ticket& ticket : waiting) {
        const Slot* slot = slotOf(ticket);
        if (!slot || slot->query->host() != host)
            continue;
        // An unknown name sends nothing: the cycle ends by time-out, as for a silent server.
        if (!target.known)
            slot->query->transmit(false);
        else
            transmitTo(ticket.id, target);
    }
}

void QueryEngine::transmitTo(quint32 id, const Target& target)
{
    Client* query = slotOf(id)->query;
    // `target` may live in a host entry, which the calls below may move.
    const bool v6 = target.v6.has_value();
    if (registerRoute(id, target, query->remotePort()) >= 0) {
        query->transmit(true);
        return;
    }
    // Nothing can go out: the cycle ends at once, saying why, instead of after every try's time-out.
    query->transmit(false);
    if (v6)
        query->refuse(reasonText(reason::NoIPv6));
}

QueryEngine::Endpoint6 QueryEngine::endpoint6Of(const QHostAddress& address, quint16 port)
{
    Endpoint6 endpoint;
    endpoint.port = port;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 8; ++i) {
        endpoint.high = endpoint.high << 8 | bytes[i];
        endpoint.low = endpoint.low << 8 | bytes[i + 8];
    }
    return endpoint;
}

int QueryEngine::registerRoute(quint32 id, const Target& target, quint16 port)
{
    Slot& slot = *slotOf(id);
    const bool v6 = target.v6.has_value();
    const Endpoint6 endpoint6 = v6 ? endpoint6Of(*target.v6, port) : Endpoint6{};
    const quint64 endpoint4 = key4(target.v4, port);
    if (slot.socket >= 0 && m_sockets[slot.socket].v6 == v6
        && (v6 ? m_v6Routes.value(id).endpoint == endpoint6 : slot.v4 == target.v4 && slot.port == port))
        return slot.socket;
    unregisterRoute(id);
    size_t index = 0;
    while (index < m_sockets.size()
           && (m_sockets[index].v6 != v6
               || (v6 ? m_sockets[index].routes6.contains(endpoint6) : m_sockets[index].routes4.contains(endpoint4))))
        ++index;
    // The route's socket index is kept in 16 bits; so many servers at one endpoint are not heard.
    if (index > size_t(std::numeric_limits<qint16>::max()))
        return -1;
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
        m_sockets.push_back({std::move(socket), v6, {}, {}});
    }
    if (v6) {
        m_sockets[index].routes6.insert(endpoint6, id);
        m_v6Routes.insert(id, {endpoint6, *target.v6});
    } else {
        m_sockets[index].routes4.insert(endpoint4, id);
        slot.v4 = target.v4;
    }
    slot.port = port;
    slot.socket = static_cast<qint16>(index);
    return static_cast<int>(index);
}

void QueryEngine::unregisterRoute(quint32 id)
{
    Slot* slot = slotOf(id);
    if (!slot || slot->socket < 0)
        return;
    Socket& socket = m_sockets[slot->socket];
    if (socket.v6)
        socket.routes6.remove(m_v6Routes.take(id).endpoint);
    else
        socket.routes4.remove(key4(slot->v4, slot->port));
    slot->socket = -1;
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
    const Socket& socket = m_sockets[socketIndex];
    const quint32 id = socket.v6 ? socket.routes6.value(endpoint6Of(sender, senderPort))
                                 : socket.routes4.value(key4(sender.toIPv4Address(), senderPort));
    const Slot* slot = slotOf(id);
    if (!slot)
        return;
    const Ticket ticket{id, slot->life};
    if (!slot->query->receive(m_datagram)) {
        ++m_unawaited;
        return;
    }
    // The owner may have removed the query while it took the answer, and made another in its place.
    Slot* after = slotOf(ticket);
    if (!after)
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
    const bool v6 = m_sockets[socketIndex].v6;
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
            quint32 id = 0;
            const quint16 port = ntohs(target.sin6_port);
            if (v6) {
                QHostAddress address;
                address.setAddress(reinterpret_cast<const sockaddr*>(&target));
                id = m_sockets[socketIndex].routes6.value(endpoint6Of(address, port));
            } else {
                sockaddr_in to{};
                std::memcpy(&to, &target, sizeof to);
                id = m_sockets[socketIndex].routes4.value(key4(ntohl(to.sin_addr.s_addr), port));
            }
            if (const Slot* slot = slotOf(id))
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

void QueryEngine::sendDatagram(quint32 id, const QByteArray& datagram)
{
    const Slot* slot = slotOf(id);
    if (!slot || slot->socket < 0)
        return;
    QUdpSocket* udp = socket(slot->socket);
    // An ICMP error that came since the last read is handed to the next send as its failure; the
    // datagram did not go, and goes once more.
    if (m_sockets[slot->socket].v6) {
        const QHostAddress& address = m_v6Routes.constFind(id)->address;
        if (udp->writeDatagram(datagram, address, slot->port) < 0)
            udp->writeDatagram(datagram, address, slot->port);
        return;
    }
#ifdef Q_OS_LINUX
    // Straight to the system: no address object to make for every request.
    if (const int fd = int(udp->socketDescriptor()); fd >= 0) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(slot->port);
        to.sin_addr.s_addr = htonl(slot->v4);
        const auto send = [&] {
            ssize_t sent = 0;
            do {
                sent = ::sendto(
                    fd, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            } while (sent < 0 && errno == EINTR);
            return sent;
        };
        if (send() < 0)
            send();
        return;
    }
#endif
    const QHostAddress address(slot->v4);
    if (udp->writeDatagram(datagram, address, slot->port) < 0)
        udp->writeDatagram(datagram, address, slot->port);
}

} // namespace trevisk
