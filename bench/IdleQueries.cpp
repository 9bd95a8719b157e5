// What ten thousand watched servers cost between rounds: query objects on one engine, a first
// round against simulated servers, then the process's CPU time, timer events and wake-ups over an
// idle window in which nothing is due.
#include "core/Clock.h"
#include "query/QueryEngine.h"
#include "query/ServerQuery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

using namespace trevisk;

namespace {

// Counts every timer event the application delivers, whichever object it is for.
class TimerEventCounter : public QObject
{
public:
    qint64 count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

struct Usage
{
    double cpuSeconds = 0;
    long wakeUps = 0; // voluntary context switches: the times the process slept and was woken
};

Usage usageNow()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nvcsw};
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int option(const QStringList& arguments, const QString& name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int firstPort = option(arguments, QStringLiteral("--port"), 0);
    const int count = option(arguments, QStringLiteral("--count"), 10000);
    const int idleSeconds = option(arguments, QStringLiteral("--idle"), 10);
    const int refreshSeconds = option(arguments, QStringLiteral("--refresh"), 60);
    const int rate = option(arguments, QStringLiteral("--rate"), 1000);
    // The round's last time-outs fall due up to one time-out after its last answer.
    const int settleSeconds = option(arguments, QStringLiteral("--settle"), 3);
    if (firstPort <= 0 || count <= 0 || idleSeconds <= 0 || refreshSeconds <= idleSeconds + settleSeconds) {
        std::fprintf(
            stderr,
            "Usage: trevisk-bench-idle --port FIRST --count N [--idle S] [--settle S] [--refresh S] [--rate Q/S]\n"
            "Queries Quake 3 servers on 127.0.0.1:FIRST.. once, then measures an idle window.\n");
        return 2;
    }

    SystemClock clock;
    QueryEngine engine(clock);
    QueryEngine::Timing timing = engine.timing();
    timing.refresh = std::chrono::seconds(refreshSeconds);
    timing.queriesPerSecond = rate;
    engine.setTiming(timing);

    const long residentBefore = residentKiB();
    std::vector<std::unique_ptr<ServerQuery>> queries;
    queries.reserve(static_cast<size_t>(count));
    int answered = 0;
    int timedOut = 0;
    QElapsedTimer round;
    round.start();
    for (int i = 0; i < count; ++i) {
        auto query = std::make_unique<ServerQuery>(engine);
        ServerQuery* raw = query.get();
        QObject::connect(raw, &ServerQuery::serverUpdate, &app, [&, raw] {
            if (!raw->lastRefresh().isNull())
                ++answered;
            if (answered + timedOut == count)
                app.quit();
        });
        // A time-out is followed by an update without an answer; that update ends the count.
        QObject::connect(raw, &ServerQuery::timeOut, &app, [&] { ++timedOut; });
        queries.push_back(std::move(query));
    }
    for (int i = 0; i < count; ++i)
        queries[static_cast<size_t>(i)]->init(
            QStringLiteral("127.0.0.1:%1").arg(firstPort + i), QStringLiteral("Quake 3"), 0);
    // The first round is bounded by the pacing plus every try of the last server.
    QTimer::singleShot((count / std::max(1, rate) + 10) * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const qint64 roundMs = round.elapsed();
    const long residentAfter = residentKiB();

    QTimer::singleShot(settleSeconds * 1000, &app, &QCoreApplication::quit);
    app.exec();

    // The idle window: nothing is due until the next round.
    TimerEventCounter timers;
    app.installEventFilter(&timers);
    const Usage before = usageNow();
    QTimer::singleShot(idleSeconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const Usage after = usageNow();
    // The window's own single-shot timer is one of the events counted.
    const qint64 timerEvents = timers.count - 1;

    const double cpuMs = (after.cpuSeconds - before.cpuSeconds) * 1000.0;
    std::printf("servers=%d answered=%d timed_out=%d first_round_ms=%lld\n",
                count,
                answered,
                timedOut,
                static_cast<long long>(roundMs));
    std::printf("settle_s=%d idle_window_s=%d idle_cpu_ms=%.1f idle_cpu_share_percent=%.4f idle_timer_events=%lld "
                "idle_wakeups=%ld\n",
                settleSeconds,
                idleSeconds,
                cpuMs,
                cpuMs / (idleSeconds * 10.0),
                static_cast<long long>(timerEvents),
                after.wakeUps - before.wakeUps);
    std::printf("scheduled_deadlines=%d sockets=%d pending_sends=%d rss_query_objects_kib=%ld\n",
                engine.scheduledDeadlines(),
                engine.socketCount(),
                engine.pendingSends(),
                residentAfter - residentBefore);
    return answered == count ? 0 : 1;
}
