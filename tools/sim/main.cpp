#include "EpollHost.h"
#include "sim/SimOptions.h"
#include "sim/SimPlan.h"

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using namespace trevisk;

namespace {

// Ten thousand servers need ten thousand sockets: take all the open files the system allows.
bool raiseFileLimit(size_t needed, QString& error)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return true;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_max != RLIM_INFINITY && needed > limit.rlim_max) {
        error = QStringLiteral("%1 servers need more open files than the limit of %2").arg(needed).arg(limit.rlim_max);
        return false;
    }
    return true;
}

void fail(const QString& message)
{
    std::fprintf(stderr, "trevisk-sim: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);

    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(arguments, error);
    if (!options) {
        fail(error);
        std::fputs(qPrintable(SimOptions::usage()), stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(SimOptions::usage()), stdout);
        return 0;
    }
    const SimPlan plan = SimPlan::make(options->games, options->port, options->count, options->bind);
    if (!plan.error.isEmpty()) {
        fail(plan.error);
        return 2;
    }
    for (const QString& warning : plan.warnings)
        fail(QStringLiteral("warning: ") + warning);
    // Sockets, the epoll and signal descriptors and the standard ones.
    constexpr size_t SpareFiles = 16;
    if (!raiseFileLimit(plan.servers.size() + SpareFiles, error)) {
        fail(error);
        return 1;
    }
    // A reader that goes away must not end the servers.
    std::signal(SIGPIPE, SIG_IGN);

    EpollHost host(*options);
    if (!host.open(plan.servers, error)) {
        fail(error);
        return 1;
    }
    for (const QString& line : host.listing())
        std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
    return host.run();
}
