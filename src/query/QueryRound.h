#pragma once

#include "query/AnswerUpdate.h"
#include "query/ServerState.h"

#include <QDateTime>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace trevisk {

class QueryEngine;
class ServerQuery;

// One query of each of a list of servers, with the monitor's engine, tries and time-outs.
// A server is done when its answer is complete (both answers of a two-answer engine, or the
// gathering window of a multi-datagram one) or its cycle has timed out.
class QueryRound : public QObject
{
    Q_OBJECT
public:
    struct Target
    {
        QString game;
        QString address;
    };
    struct Result
    {
        QString game;
        QString address;
        bool answered = false;
        ServerState state = ServerState::Waiting;
        QString stateReason; // what was wrong with a bad answer
        QString hostname;
        QString map;
        QString maxPlayers;
        QString numPlayers; // the engine's own count, where it sends one
        qint32 ping = 0;
        std::optional<PlayerTable> players;
        SettingsTable settings;

        bool reportsPlayerCount = false; // numPlayers is the server's own count (Unreal family, A2S)
        // The count the grid shows: the engine's own where it sends one, else the player rows.
        int playerCount() const;
        // Copies what the query object holds of its last answer.
        void copyAnswer(const ServerQuery& query);
    };

    explicit QueryRound(QueryEngine& engine, QObject* parent = nullptr);
    ~QueryRound() override;

    void start(const std::vector<Target>& targets);
    const std::vector<Result>& results() const { return m_results; }
    bool isFinished() const { return m_remaining == 0; }
    bool isDone(size_t index) const { return m_done[index]; }
    // Hands over a done server's result, so that a caller that writes results as they come keeps none.
    Result takeResult(size_t index) { return std::move(m_results[index]); }

signals:
    // One server is done: its result is final.
    void serverDone(size_t index);
    void finished();

private:
    void serverUpdated(size_t index);
    void complete(size_t index, bool answered);

    QueryEngine& m_engine;
    std::vector<std::unique_ptr<ServerQuery>> m_queries;
    std::vector<std::unique_ptr<QTimer>> m_waits; // for a second answer that may never come
    std::vector<Result> m_results;
    std::vector<int> m_answers;
    std::vector<bool> m_done;
    size_t m_remaining = 0;
};

} // namespace trevisk
