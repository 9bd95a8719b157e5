// What the settings tables cost: the heap the tables of many servers hold after their first and
// second answers (the shared pools included), and the time one answer's settings take to read.
// Answers are the simulator's Quake 3 status answers, stamped as a 30-second round would stamp them
// (or over more seconds: every stamp its own).
#include "query/engines/AnswerText.h"
#include "sim/SimAnswers.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimeZone>

#include <algorithm>
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

} // namespace

// Usage: trevisk-bench-settings [SERVERS] [SECONDS], SECONDS the stamps spread over (as many as
// servers: every stamp differs, as when they are not shared)
int main(int argc, char** argv)
{
    const int servers = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    const QString game = QStringLiteral("Quake 3");
    std::vector<QByteArray> answers;
    for (int i = 0; i < servers; ++i) {
        const SimServerState state = SimServerState::forGame(game, i + 1, 4);
        // A round's answers spread over its seconds, stamped as the simulator stamps them.
        const int at = int(qint64(i) * seconds / servers);
        const QByteArray stamp = QDateTime::fromSecsSinceEpoch(1796707000 + at, QTimeZone::utc())
                                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                     .toLatin1();
        answers.push_back(simanswers::quake3Status(state, stamp));
    }

    std::vector<SettingsTable> kept(answers.size());
    const qint64 before = heapBytes();
    for (size_t i = 0; i < answers.size(); ++i)
        kept[i] = saveData(answers[i], "challenge");
    const qint64 first = heapBytes() - before;
    for (size_t i = 0; i < answers.size(); ++i)
        kept[i] = saveData(answers[i], "challenge");
    const qint64 second = heapBytes() - before;

    qint64 rowBytes = 0;
    for (const SettingsTable& table : kept)
        rowBytes += table.byteSize();

    constexpr int Rounds = 20;
    size_t rows = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < Rounds; ++round) {
        for (const QByteArray& answer : answers)
            rows += saveData(answer, "challenge").size();
    }
    const double nsPerAnswer = double(timer.nsecsElapsed()) / (double(Rounds) * double(answers.size()));
    std::printf(
        "servers=%d settings=%zu heap_bytes_per_server first=%.1f second=%.1f row_bytes=%.1f ns_per_answer=%.0f\n",
        servers,
        rows / (size_t(Rounds) * answers.size()),
        double(first) / servers,
        double(second) / servers,
        double(rowBytes) / servers,
        nsPerAnswer);
    return 0;
}
