#include "EpollHost.h"

#include "core/Catalogue.h"
#include "sim/SimPlan.h"
#include "sim/SimRequest.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trevisk {

namespace {

constexpr quint64 SignalKey = std::numeric_limits<quint64>::max();
constexpr quint64 MasterKey = SignalKey - 1;
constexpr int EventsPerWait = 256;

// Big enough for either family; an IPv4 address fills the front of it.
sockaddr_in6 socketAddress(const QHostAddress& host, quint16 port)
{
    sockaddr_in6 address{};
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        address.sin6_family = AF_INET6;
        const Q_IPV6ADDR bytes = host.toIPv6Address();
        std::memcpy(address.sin6_addr.s6_addr, bytes.c, sizeof bytes.c);
        address.sin6_port = htons(port);
        return address;
    }
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(host.toIPv4Address());
    v4.sin_port = htons(port);
    std::memcpy(&address, &v4, sizeof v4);
    return address;
}

// The sender as the responders key their challenges: its IPv4 address, 0 for every IPv6 one.
quint32 senderIPv4(const sockaddr_in6& from)
{
    if (from.sin6_family != AF_INET)
        return 0;
    sockaddr_in v4{};
    std::memcpy(&v4, &from, sizeof v4);
    return ntohl(v4.sin_addr.s_addr);
}

QString systemError(const QString& what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// A non-blocking UDP socket bound to host and port; -1 with `error` set when it cannot be bound.
int boundSocket(const QHostAddress& host, quint16 port, QString& error)
{
    const bool v6 = host.protocol() == QAbstractSocket::IPv6Protocol;
    const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = systemError(QStringLiteral("socket"));
        return -1;
    }
    const sockaddr_in6 address = socketAddress(host, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), v6 ? sizeof address : sizeof(sockaddr_in)) != 0) {
        error = systemError(QStringLiteral("cannot bind %1").arg(joinAddress(host.toString(), QString::number(port))));
        ::close(fd);
        return -1;
    }
    return fd;
}

quint16 localPort(int fd)
{
    sockaddr_in6 address{}; // the port sits where sockaddr_in has it
    socklen_t size = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin6_port);
}

} // namespace

EpollHost::EpollHost(SimOptions options)
    : m_options(std::move(options))
    , m_delayRandom(m_options.seed == 0 ? 1 : m_options.seed)
{}

EpollHost::~EpollHost()
{
    for (const Server& server : m_servers)
        ::close(server.fd);
    for (const int fd : {m_epoll, m_signals, m_replyFd, m_masterFd}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool EpollHost::open(const std::vector<SimServerSpec>& specs, QString& error)
{
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGUSR1);
    sigprocmask(SIG_BLOCK, &held, nullptr);
    m_signals = ::signalfd(-1, &held, SFD_NONBLOCK | SFD_CLOEXEC);
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_signals < 0 || m_epoll < 0) {
        error = systemError(QStringLiteral("epoll"));
        return false;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = SignalKey;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_signals, &event);

    if (m_options.replyHost) {
        m_replyFd = boundSocket(*m_options.replyHost, m_options.replyPort, error);
        if (m_replyFd < 0)
            return false;
    }

    m_servers.reserve(specs.size());
    for (const SimServerSpec& spec : specs) {
        const int fd = boundSocket(spec.host, spec.queryPort, error);
        if (fd < 0)
            return false;
        const int index = static_cast<int>(m_servers.size());
        Server server{fd, m_options.makeResponder(spec, index), spec.game, {}};
        const quint16 queryPort = localPort(fd);
        const quint16 gamePort =
            spec.queryPort != 0 ? spec.gamePort
                                : static_cast<quint16>(queryPort - SimPlan::queryPortOffset(spec.game).value_or(0));
        server.address = joinAddress(spec.host.toString(), QString::number(gamePort));
        server.responder.state().gamePort = gamePort;
        server.responder.state().address = server.address.toLatin1();
        server.responder.advanceTo(elapsed());
        event.data.u64 = static_cast<quint64>(index);
        if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0) {
            error = systemError(QStringLiteral("epoll_ctl"));
            ::close(fd);
            return false;
        }
        m_servers.push_back(std::move(server));
    }
    return !m_options.master || openMaster(error);
}

bool EpollHost::openMaster(QString& error)
{
    std::vector<ListedAddress> listed;
    listed.reserve(m_servers.size());
    for (const Server& server : m_servers)
        listed.push_back({QHostAddress(hostPart(server.address)), server.responder.state().gamePort});
    m_master = std::make_unique<SimMaster>(*m_options.master, std::move(listed));
    m_masterFd = boundSocket(QHostAddress(QHostAddress::LocalHost), static_cast<quint16>(m_options.masterPort), error);
    if (m_masterFd < 0)
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = MasterKey;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_masterFd, &event) != 0) {
        error = systemError(QStringLiteral("epoll_ctl"));
        return false;
    }
    return true;
}

void EpollHost::serveMaster()
{
    for (;;) {
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t length =
            ::recvfrom(m_masterFd, m_buffer.data(), m_buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (length < 0)
            return;
        const QList<QByteArray> reply = m_master->respond(QByteArray(m_buffer.data(), static_cast<qsizetype>(length)));
        for (const QByteArray& datagram : reply) {
            ::sendto(m_masterFd,
                     datagram.constData(),
                     static_cast<size_t>(datagram.size()),
                     0,
                     reinterpret_cast<const sockaddr*>(&from),
                     sizeof from);
        }
    }
}

QStringList EpollHost::listing() const
{
    QStringList lines;
    if (m_masterFd >= 0)
        lines += QStringLiteral("master\t127.0.0.1:") + QString::number(localPort(m_masterFd));
    for (const Server& server : m_servers)
        lines += server.game + QLatin1Char('\t') + server.address;
    return lines;
}

std::chrono::milliseconds EpollHost::elapsed() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start);
}

bool EpollHost::answeringAt(std::chrono::milliseconds now) const
{
    if (m_options.flapUp.count() <= 0 || m_options.flapDown.count() <= 0)
        return true;
    return now % (m_options.flapUp + m_options.flapDown) < m_options.flapUp;
}

int EpollHost::run()
{
    std::vector<epoll_event> events(EventsPerWait);
    for (;;) {
        int timeout = -1;
        if (!m_pending.empty())
            timeout = static_cast<int>(std::max<qint64>(0, (m_pending.top().due - elapsed()).count()));
        const int count = ::epoll_wait(m_epoll, events.data(), EventsPerWait, timeout);
        if (count < 0 && errno != EINTR) {
            std::perror("trevisk-sim: epoll_wait");
            return 1;
        }
        const auto now = elapsed();
        for (int i = 0; i < count; ++i) {
            if (events[i].data.u64 == SignalKey) {
                if (!takeSignals())
                    return 0;
                continue;
            }
            if (events[i].data.u64 == MasterKey) {
                serveMaster();
                continue;
            }
            serve(m_servers[events[i].data.u64], now);
        }
        while (!m_pending.empty() && m_pending.top().due <= elapsed()) {
            send(m_pending.top().fd, m_pending.top().to, m_pending.top().datagrams);
            m_pending.pop();
        }
    }
}

bool EpollHost::takeSignals()
{
    signalfd_siginfo info{};
    while (::read(m_signals, &info, sizeof info) == sizeof info) {
        if (info.ssi_signo != SIGUSR1)
            return false;
        if (m_options.linkRate > 0) {
            std::printf("link_dropped=%lld\n", static_cast<long long>(m_linkDropped));
            m_linkDropped = 0;
        }
        m_stats.report();
    }
    return true;
}

void EpollHost::serve(Server& server, std::chrono::milliseconds now)
{
    const bool answering = answeringAt(now);
    for (;;) {
        sockaddr_in6 from{};
        socklen_t size = sizeof from;
        const ssize_t length =
            ::recvfrom(server.fd, m_buffer.data(), m_buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (length < 0)
            return; // drained (EAGAIN), or an error the next datagram does not share
        server.responder.setAnswering(answering);
        server.responder.advanceTo(now);
        const QByteArray request(m_buffer.data(), static_cast<qsizetype>(length));
        const SimRequest::Kind kind = SimRequest::read(server.responder.state().engine, request).kind;
        m_stats.requestArrived(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start).count(),
            kind == SimRequest::Kind::Info,
            kind == SimRequest::Kind::Status);
        if (!linkCarries()) {
            ++m_linkDropped;
            continue;
        }
        const QList<QByteArray> answer = server.responder.respond(request, senderIPv4(from));
        if (answer.isEmpty())
            continue;
        qint64 bytes = 0;
        for (const QByteArray& datagram : answer)
            bytes += datagram.size();
        m_stats.answerSent(answer.size(), bytes);
        if (m_options.delayMax.count() <= 0) {
            send(server.fd, from, answer);
            continue;
        }
        const auto span = static_cast<unsigned>((m_options.delayMax - m_options.delayMin).count());
        const auto delay = m_options.delayMin + std::chrono::milliseconds(span == 0 ? 0 : m_delayRandom() % (span + 1));
        m_pending.push(Pending{now + delay, m_order++, server.fd, from, answer});
    }
}

bool EpollHost::linkCarries()
{
    if (m_options.linkRate <= 0)
        return true;
    // A router's queue holds a fiftieth of a second's worth; what comes faster is lost.
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start);
    const double burst = std::max(1.0, m_options.linkRate / 50.0);
    m_linkTokens = std::min(burst, m_linkTokens + double((now - m_linkAt).count()) * m_options.linkRate / 1e6);
    m_linkAt = now;
    if (m_linkTokens < 1.0)
        return false;
    m_linkTokens -= 1.0;
    return true;
}

void EpollHost::send(int fd, const sockaddr_in6& to, const QList<QByteArray>& datagrams) const
{
    const int from = m_replyFd >= 0 ? m_replyFd : fd;
    for (const QByteArray& datagram : datagrams) {
        // A full send buffer loses the datagram, as the network would.
        ::sendto(from,
                 datagram.constData(),
                 static_cast<size_t>(datagram.size()),
                 0,
                 reinterpret_cast<const sockaddr*>(&to),
                 to.sin6_family == AF_INET6 ? sizeof to : sizeof(sockaddr_in));
    }
}

} // namespace trevisk
