// What the history of ping and players costs in memory: the heap one row takes, measured over a
// million rows, and the heap six hours of rounds take for a thousand and ten thousand servers.
#include "monitor/History.h"

#include <QDateTime>

#include <cstdio>
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
    qint64 stamp = start;
    for (int round = 0; round < rounds; ++round) {
        stamp = start + static_cast<qint64>(round) * refresh;
        const QDateTime at = QDateTime::fromSecsSinceEpoch(stamp);
        for (size_t i = 0; i < servers.size(); ++i)
            history.append(at, servers[i], 20 + static_cast<int>(i % 80), static_cast<int>(i % 16));
    }
    return stamp;
}

} // namespace

int main()
{
    constexpr qint64 Start = 1700000000;
    constexpr int Refresh = 30;
    constexpr int RoundsInSixHours = static_cast<int>(History::KeepSeconds / Refresh);

    // One row: a million rows of a thousand servers, all within the kept span.
    {
        const std::vector<QString> servers = addresses(1000);
        History history;
        const qint64 empty = heapBytes();
        for (const QString& address : servers)
            history.idOf(address);
        const qint64 named = heapBytes();
        appendRounds(history, servers, Start, 1000, 1);
        const qint64 filled = heapBytes();
        const auto rows = static_cast<qint64>(history.points().size());
        std::printf("point_sizeof=%zu rows=%lld bytes_per_row=%.2f bytes_per_server_id=%.1f\n",
                    sizeof(History::Point),
                    static_cast<long long>(rows),
                    static_cast<double>(filled - named) / static_cast<double>(rows),
                    static_cast<double>(named - empty) / static_cast<double>(servers.size()));
    }

    // Six hours at the default refresh, then half an hour more: rows older than six hours go.
    for (const int count : {1000, 10000}) {
        const std::vector<QString> servers = addresses(count);
        History history;
        const qint64 empty = heapBytes();
        const qint64 last = appendRounds(history, servers, Start, RoundsInSixHours, Refresh);
        const qint64 sixHours = heapBytes() - empty;
        const auto rowsSixHours = static_cast<qint64>(history.points().size());
        appendRounds(history, servers, last + Refresh, 60, Refresh);
        const qint64 later = heapBytes() - empty;
        std::printf("servers=%d refresh_s=%d rows_6h=%lld heap_6h_mib=%.2f rows_6h30m=%lld heap_6h30m_mib=%.2f\n",
                    count,
                    Refresh,
                    static_cast<long long>(rowsSixHours),
                    static_cast<double>(sixHours) / (1024.0 * 1024.0),
                    static_cast<long long>(history.points().size()),
                    static_cast<double>(later) / (1024.0 * 1024.0));
    }
    return 0;
}
