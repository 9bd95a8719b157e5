#pragma once

#include "sim/ArrivalStats.h"
#include "sim/SimMaster.h"
#include "sim/SimOptions.h"

#include <QStringList>
#include <queue>

#include <algorithm>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <random>
#include <vector>

namespace trevisk {

// Serves many simulated servers from one thread with epoll. Qt's event loop polls every open
// socket at each wake-up, which costs milliseconds per wake-up with ten thousand of them; epoll
// costs nothing while the servers are idle. Linux only, like the benchmarks that need it.
class EpollHost
{
public:
    explicit EpollHost(SimOptions options);
    ~EpollHost();
    EpollHost(const EpollHost&) = delete;
    EpollHost& operator=(const EpollHost&) = delete;

    // Binds every planned server. SIGINT and SIGTERM are held from here on, for `run` to take.
    bool open(const std::vector<SimServerSpec>& specs, QString& error);
    // "game<TAB>host:game port" per server, in plan order.
    QStringList listing() const;
    // Serves until SIGINT or SIGTERM; the process's exit code. SIGUSR1 prints the arrival counts.
    int run();

private:
    struct Server
    {
        int fd = -1;
        SimResponder responder;
        QString game;
        QString address;
    };

    // An answer waiting for its delay; one queue for all servers, ordered by time.
    struct Pending
    {
        std::chrono::milliseconds due;
        quint64 order = 0;
        int fd = -1;
        sockaddr_in6 to{};
        QList<QByteArray> datagrams;

        bool operator>(const Pending& other) const { return due != other.due ? due > other.due : order > other.order; }
    };

    // Reports on SIGUSR1; false on a signal to end.
    bool takeSignals();
    bool openMaster(QString& error);
    void serveMaster();
    void serve(Server& server, std::chrono::milliseconds now);
    void send(int fd, const sockaddr_in6& to, const QList<QByteArray>& datagrams) const;
    bool answeringAt(std::chrono::milliseconds now) const;
    bool linkCarries();
    std::chrono::milliseconds elapsed() const;

    SimOptions m_options;
    std::vector<Server> m_servers;
    int m_epoll = -1;
    int m_signals = -1;
    int m_replyFd = -1;
    int m_masterFd = -1;
    std::unique_ptr<SimMaster> m_master;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> m_pending;
    quint64 m_order = 0;
    std::minstd_rand m_delayRandom;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    ArrivalStats m_stats;
    std::vector<char> m_buffer = std::vector<char>(65536);
    // The link's token bucket (--link-rate): requests beyond it are dropped, as an overrun router does.
    double m_linkTokens = 0;
    std::chrono::microseconds m_linkAt{0};
    qint64 m_linkDropped = 0;
};

} // namespace trevisk
