// What the settings tables cost: the heap the tables of many servers hold after their first and
// second answers (the shared pools included), and the time one answer's settings take to read.
// Answers are the simulator's Quake 3 status answers, stamped as a 30-second round would stamp them.
#include "query/engines/AnswerText.h"
#include "sim/SimAnswers.h"

#include <QElapsedTimer>

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

// Usage: trevisk-bench-settings [SERVERS]
int main(int argc, char** argv)
{
    const int servers = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString game = QStringLiteral("Quake 3");
    std::vector<QByteArray> answers;
    for (int i = 0; i < servers; ++i) {
        const SimServerState state = SimServerState::forGame(game, i + 1, 4);
        // A round's answers spread over its 30 seconds.
        const int second = int(qint64(i) * 30 / servers);
        answers.push_back(
            simanswers::quake3Status(state, QByteArray("2026-12-08 05:17:") + QByteArray::number(10 + second)));
    }

    std::vector<SettingsTable> kept(answers.size());
    const qint64 before = heapBytes();
    for (size_t i = 0; i < answers.size(); ++i)
        kept[i] = saveData(answers[i], "challenge");
    const qint64 first = heapBytes() - before;
    for (size_t i = 0; i < answers.size(); ++i)
        kept[i] = saveData(answers[i], "challenge");
    const qint64 second = heapBytes() - before;

    constexpr int Rounds = 20;
    size_t rows = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < Rounds; ++round) {
        for (const QByteArray& answer : answers)
            rows += saveData(answer, "challenge").size();
    }
    const double nsPerAnswer = double(timer.nsecsElapsed()) / (double(Rounds) * double(answers.size()));
    std::printf("servers=%d settings=%zu heap_bytes_per_server first=%.1f second=%.1f ns_per_answer=%.0f\n",
                servers,
                rows / (size_t(Rounds) * answers.size()),
                double(first) / servers,
                double(second) / servers,
                nsPerAnswer);
    return 0;
}
