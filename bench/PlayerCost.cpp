// What the player lists cost: the heap the tables of many servers hold, and the time one answer's
// players take on the answer path (read, checked, friends counted and compared). Answers are the
// simulator's Quake 3 status answers with a few players each, as the many-servers bench sends.
#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/PlayersResult.h"
#include "query/engines/QuakeProtocol.h"
#include "sim/SimAnswers.h"
#include "status/StatusRow.h"
#include "status/StatusRules.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <optional>
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

// Usage: trevisk-bench-players [SERVERS] [PLAYERS] [FRIEND], FRIEND "-" for none
int main(int argc, char** argv)
{
    const int servers = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int playerCount = argc > 2 ? std::atoi(argv[2]) : 4;
    const QString game = QStringLiteral("Quake 3");
    std::vector<QByteArray> answers;
    for (int i = 0; i < servers; ++i) {
        const SimServerState state = SimServerState::forGame(game, i + 1, playerCount);
        answers.push_back(simanswers::quake3Status(state, "1700000000"));
    }
    // By default a friend on every server, the dearest case.
    const QString friendName = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("Sarge");
    const FriendList friends(friendName == QLatin1String("-") ? QStringList() : QStringList{friendName});

    // The tables as the query objects keep them: out of line is what the heap holds for them.
    std::vector<std::optional<PlayerTable>> kept(answers.size());
    const qint64 before = heapBytes();
    for (size_t i = 0; i < answers.size(); ++i) {
        AnswerUpdate update;
        takePlayers(update, {getQ3Players(answers[i], game, friends), std::nullopt});
        kept[i] = std::move(update.players);
    }
    const qint64 heap = heapBytes() - before;

    // The answer path, over and over the same answers: read, checked, then the status rules.
    constexpr int Rounds = 40;
    const AppSettings settings;
    const std::vector<FavouriteMap> favourites;
    const EmailSettings email;
    const RuleInputs inputs{settings, favourites, friends, email, QDateTime::currentDateTimeUtc()};
    const StatusRow row;
    QStringList present;
    qint64 friendTotal = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < Rounds; ++round) {
        for (const QByteArray& answer : answers) {
            AnswerUpdate update;
            takePlayers(update, {getQ3Players(answer, game, friends), std::nullopt});
            if (nonsenseIn(update, QStringLiteral("16"), false))
                return 1;
            CycleResult result;
            result.game = game;
            result.lastRefresh = inputs.now;
            result.players = &*update.players;
            result.playersReceived = true;
            result.friendsPresent = present;
            const StepOutcome outcome = applyCycle(row, result, inputs);
            present = outcome.friendsPresent;
            friendTotal += outcome.row.friends.value_or(0);
        }
    }
    const double nsPerAnswer = double(timer.nsecsElapsed()) / (double(Rounds) * double(answers.size()));
    std::printf("servers=%d players=%d heap_bytes_per_server=%.1f inline_bytes=%zu ns_per_answer=%.0f friends=%lld\n",
                servers,
                playerCount,
                double(heap) / servers,
                sizeof(std::optional<PlayerTable>),
                nsPerAnswer,
                static_cast<long long>(friendTotal));
    return 0;
}
