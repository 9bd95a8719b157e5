// What the history of ping and players costs: the heap one row takes and the time an append
// takes, measured over a million rows, and the heap six hours of rounds take for a thousand to a
// hundred thousand servers, with the part each server takes whatever its rows. Rows are as the
// simulator's servers give them: pings jumping anywhere in 20-80 ms, players coming and going now
// and then, one round in fifty without an answer.
#include "history/History.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <vector>

using namespace trevisk;

namespace {

// Bytes handed out by malloc, large blocks (mmap) included.
qint64 heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
}

// Resident anonymous memory: what the heap holds with the room lost between its blocks.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

std::vector<QString> addresses(int count)
{
    std::vector<QString> list;
    list.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        list.push_back(QStringLiteral("10.%1.%2.%3:27960").arg(i / 65536).arg(i / 256 % 256).arg(i % 256));
    return list;
}

// Rounds every `refresh` seconds, one row per server each, from `start`; returns the last stamp.
qint64 appendRounds(History& history, const std::vector<QString>& servers, qint64 start, int rounds, int refresh)
{
    quint32 random = 12345;
    const auto next = [&random](quint32 range) {
        random = random * 1664525u + 1013904223u;
        return (random >> 8) % range;
    };
    qint64 stamp = start;
    for (int round = 0; round < rounds; ++round) {
        stamp = start + static_cast<qint64>(round) * refresh;
        // In UTC: a local time would look up the time zone on every append, which is not the history's cost.
        const QDateTime at = QDateTime::fromSecsSinceEpoch(stamp, Qt::UTC);
        for (size_t i = 0; i < servers.size(); ++i) {
            if (next(50) == 0) {
                history.append(at, servers[i], std::nullopt, std::nullopt);
                continue;
            }
            const int players = static_cast<int>((i + static_cast<size_t>(round) / 20) % 16);
            history.append(at, servers[i], 20 + static_cast<int>(next(61)), players);
        }
    }
    return stamp;
}

} // namespace

// With a count, only six hours of that many servers.
int main(int argc, char** argv)
{
    constexpr qint64 Start = 1700000000;
    constexpr int Refresh = 30;
    constexpr int RoundsInSixHours = static_cast<int>(History::KeepSeconds / Refresh);

    std::vector<int> counts{1000, 10000, 100000};
    if (argc > 1)
        counts = {std::atoi(argv[1])};
    // One row: a million rows of a thousand servers, all within the kept span.
    if (argc <= 1) {
        const std::vector<QString> servers = addresses(1000);
        History history;
        const qint64 empty = heapBytes();
        for (const QString& address : servers)
            history.idOf(address);
        const qint64 named = heapBytes();
        QElapsedTimer timer;
        timer.start();
        appendRounds(history, servers, Start, 1000, 1);
        const qint64 nanoseconds = timer.nsecsElapsed();
        const qint64 filled = heapBytes();
        const auto rows = history.rowCount();
        std::printf("point_sizeof=%zu rows=%lld bytes_per_row=%.2f bytes_per_server_id=%.1f ns_per_append=%.0f\n",
                    sizeof(History::Point),
                    static_cast<long long>(rows),
                    static_cast<double>(filled - named) / static_cast<double>(rows),
                    static_cast<double>(named - empty) / static_cast<double>(servers.size()),
                    static_cast<double>(nanoseconds) / static_cast<double>(rows));
    }

    // Six hours at the default refresh, then half an hour more: rows older than six hours go.
    for (const int count : counts) {
        const std::vector<QString> servers = addresses(count);
        History history;
        const qint64 empty = heapBytes();
        const qint64 emptyResident = residentBytes();
        for (const QString& address : servers)
            history.idOf(address);
        const qint64 named = heapBytes() - empty;
        QElapsedTimer timer;
        timer.start();
        const qint64 last = appendRounds(history, servers, Start, RoundsInSixHours, Refresh);
        const qint64 nanoseconds = timer.nsecsElapsed();
        const qint64 sixHours = heapBytes() - empty;
        const qint64 sixHoursResident = residentBytes() - emptyResident;
        const qint64 rowsSixHours = history.rowCount();
        appendRounds(history, servers, last + Refresh, 60, Refresh);
        const qint64 later = heapBytes() - empty;
        const qint64 laterResident = residentBytes() - emptyResident;
        std::printf("servers=%d refresh_s=%d rows_6h=%lld heap_6h_mib=%.2f bytes_per_row_6h=%.2f rows_6h30m=%lld "
                    "heap_6h30m_mib=%.2f bookkeeping_per_server=%.1f ns_per_append_6h=%.0f resident_6h_mib=%.2f "
                    "resident_6h30m_mib=%.2f\n",
                    count,
                    Refresh,
                    static_cast<long long>(rowsSixHours),
                    static_cast<double>(sixHours) / (1024.0 * 1024.0),
                    static_cast<double>(sixHours) / static_cast<double>(rowsSixHours),
                    static_cast<long long>(history.rowCount()),
                    static_cast<double>(later) / (1024.0 * 1024.0),
                    static_cast<double>(named) / count,
                    static_cast<double>(nanoseconds) / static_cast<double>(rowsSixHours),
                    static_cast<double>(sixHoursResident) / (1024.0 * 1024.0),
                    static_cast<double>(laterResident) / (1024.0 * 1024.0));
    }
    return 0;
}
