// Simulated Quake 3 servers for the comparison with qstat: the simulator's own servers and answer
// delays, plus the short info answer that qstat asks for before the full status, and a count of
// when requests arrive, to show how evenly a client paces its sends.
#include "sim/SimOptions.h"
#include "sim/SimPlan.h"

#include <QByteArray>
#include <QStringList>
#include <queue>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace trevisk;
using Clock = std::chrono::steady_clock;

namespace {

constexpr quint64 SignalKey = std::numeric_limits<quint64>::max();
constexpr int EventsPerWait = 256;
const QByteArray Header("\xFF\xFF\xFF\xFF", 4);

struct Server
{
    int fd = -1;
    SimResponder responder;
};

struct Pending
{
    Clock::time_point due;
    quint64 order = 0;
    int fd = -1;
    sockaddr_in to{};
    QList<QByteArray> datagrams;

    bool operator>(const Pending& other) const { return due != other.due ? due > other.due : order > other.order; }
};

// Arrival times of requests since the last report, for the pacing figures.
struct Arrivals
{
    std::vector<qint64> micros;
    qint64 info = 0;
    qint64 status = 0;
    qint64 answered = 0;
    qint64 answerBytes = 0; // UDP payload of every answer datagram

    // The most requests that arrived within any window of this many microseconds.
    qint64 peak(qint64 window) const
    {
        qint64 best = 0;
        size_t first = 0;
        for (size_t last = 0; last < micros.size(); ++last) {
            while (micros[last] - micros[first] >= window)
                ++first;
            best = std::max<qint64>(best, static_cast<qint64>(last - first + 1));
        }
        return best;
    }

    void report() const
    {
        const qint64 span = micros.empty() ? 0 : micros.back() - micros.front();
        std::printf(
            "requests=%zu getinfo=%lld getstatus=%lld answered=%lld answer_bytes=%lld span_ms=%.1f peak_1ms=%lld "
            "peak_10ms=%lld peak_100ms=%lld peak_1s=%lld\n",
            micros.size(),
            static_cast<long long>(info),
            static_cast<long long>(status),
            static_cast<long long>(answered),
            static_cast<long long>(answerBytes),
            static_cast<double>(span) / 1000.0,
            static_cast<long long>(peak(1000)),
            static_cast<long long>(peak(10000)),
            static_cast<long long>(peak(100000)),
            static_cast<long long>(peak(1000000)));
        std::fflush(stdout);
    }
};

bool isRequest(const QByteArray& datagram, const char* word)
{
    if (!datagram.startsWith(Header))
        return false;
    const QByteArray line = datagram.mid(4).trimmed();
    const qsizetype space = line.indexOf(' ');
    return (space < 0 ? line : line.left(space)) == word;
}

// What ioquake3 answers to "getinfo [challenge]": the short form, without rules or players.
QByteArray infoResponse(const SimServerState& state, const QByteArray& request)
{
    const QByteArray line = request.mid(4).trimmed();
    const qsizetype space = line.indexOf(' ');
    const QByteArray challenge = space < 0 ? QByteArray() : line.mid(space + 1);
    const QByteArray clients = QByteArray::number(static_cast<qsizetype>(state.players.size()));
    QByteArray out = Header + "infoResponse\n";
    if (!challenge.isEmpty())
        out += "\\challenge\\" + challenge;
    out += "\\version\\ioq3 1.36\\protocol\\71\\hostname\\" + state.hostname + "\\mapname\\" + state.map + "\\clients\\"
           + clients + "\\g_humanplayers\\" + clients + "\\sv_maxclients\\" + QByteArray::number(state.maxPlayers)
           + "\\gametype\\0\\pure\\1";
    return out;
}

int boundSocket(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void send(int fd, const sockaddr_in& to, const QList<QByteArray>& datagrams)
{
    for (const QByteArray& datagram : datagrams) {
        ::sendto(fd,
                 datagram.constData(),
                 static_cast<size_t>(datagram.size()),
                 0,
                 reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(arguments, error);
    if (!options || options->help) {
        std::fprintf(stderr,
                     "Usage: trevisk-bench-host --engine Q3 --port PORT --count N [--delay MIN-MAX]\n"
                     "SIGUSR1 prints the requests that arrived since the last report; SIGINT/SIGTERM end.\n%s\n",
                     qPrintable(error));
        return 2;
    }
    const SimPlan plan = SimPlan::make(options->games, options->port, options->count);
    if (!plan.error.isEmpty() || options->port == 0) {
        std::fprintf(stderr, "trevisk-bench-host: %s\n", qPrintable(plan.error));
        return 2;
    }

    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    sigset_t held;
    sigemptyset(&held);
    for (const int number : {SIGINT, SIGTERM, SIGUSR1})
        sigaddset(&held, number);
    sigprocmask(SIG_BLOCK, &held, nullptr);
    const int signalFd = ::signalfd(-1, &held, SFD_NONBLOCK | SFD_CLOEXEC);
    const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = SignalKey;
    ::epoll_ctl(epoll, EPOLL_CTL_ADD, signalFd, &event);

    std::vector<Server> servers;
    servers.reserve(plan.servers.size());
    for (const SimServerSpec& spec : plan.servers) {
        const int fd = boundSocket(spec.queryPort);
        if (fd < 0) {
            std::fprintf(stderr, "trevisk-bench-host: cannot bind port %d: %s\n", spec.queryPort, std::strerror(errno));
            return 1;
        }
        const int index = static_cast<int>(servers.size());
        servers.push_back({fd, options->makeResponder(spec, index)});
        servers.back().responder.state().gamePort = spec.gamePort;
        servers.back().responder.state().address = spec.address().toLatin1();
        event.data.u64 = static_cast<quint64>(index);
        ::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
        std::printf("%s\t%s\n", qPrintable(spec.game), qPrintable(spec.address()));
    }
    std::fflush(stdout);

    const Clock::time_point start = Clock::now();
    std::minstd_rand random(options->seed == 0 ? 1 : options->seed);
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending;
    quint64 order = 0;
    Arrivals arrivals;
    std::vector<char> buffer(65536);
    std::vector<epoll_event> events(EventsPerWait);
    const auto span = static_cast<unsigned>((options->delayMax - options->delayMin).count());
    for (;;) {
        int timeout = -1;
        if (!pending.empty()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pending.top().due - Clock::now());
            timeout = static_cast<int>(std::max<qint64>(0, wait.count()));
        }
        const int count = ::epoll_wait(epoll, events.data(), EventsPerWait, timeout);
        if (count < 0 && errno != EINTR)
            return 1;
        for (int i = 0; i < count; ++i) {
            if (events[i].data.u64 == SignalKey) {
                signalfd_siginfo info{};
                while (::read(signalFd, &info, sizeof info) == sizeof info) {
                    if (info.ssi_signo != SIGUSR1)
                        return 0;
                    arrivals.report();
                    arrivals = {};
                }
                continue;
            }
            Server& server = servers[events[i].data.u64];
            for (;;) {
                sockaddr_in from{};
                socklen_t size = sizeof from;
                const ssize_t length =
                    ::recvfrom(server.fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
                if (length < 0)
                    break;
                const Clock::time_point now = Clock::now();
                arrivals.micros.push_back(std::chrono::duration_cast<std::chrono::microseconds>(now - start).count());
                const QByteArray request(buffer.data(), static_cast<qsizetype>(length));
                QList<QByteArray> answer;
                if (isRequest(request, "getinfo")) {
                    ++arrivals.info;
                    answer = {infoResponse(server.responder.state(), request)};
                } else {
                    arrivals.status += isRequest(request, "getstatus") ? 1 : 0;
                    answer = server.responder.respond(request, ntohl(from.sin_addr.s_addr));
                }
                if (answer.isEmpty())
                    continue;
                ++arrivals.answered;
                for (const QByteArray& datagram : std::as_const(answer))
                    arrivals.answerBytes += datagram.size();
                const auto delay = options->delayMin + std::chrono::milliseconds(span == 0 ? 0 : random() % (span + 1));
                pending.push(Pending{now + delay, order++, server.fd, from, answer});
            }
        }
        while (!pending.empty() && pending.top().due <= Clock::now()) {
            send(pending.top().fd, pending.top().to, pending.top().datagrams);
            pending.pop();
        }
    }
}
