#pragma once

#include "players/Player.h"
#include "query/AnswerUpdate.h"
#include "query/EngineExchange.h"
#include "query/QueryEngine.h"
#include "query/ServerState.h"

#include <QByteArray>
#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>

namespace trevisk {

class EngineProtocol;

// One monitored server: sends its engine's query on the schedule, retries, measures the
// ping, gathers and parses the answer and tells its owner through its listener and two
// signals. The owner reads the results through the accessors inside its handlers.
class ServerQuery final : public QObject, private QueryEngine::Client
{
    Q_OBJECT
public:
    // The owner of many objects hears of them here rather than through two connections each, which
    // took more room than the object itself; it hears after the signals' receivers.
    class Listener
    {
    public:
        virtual void serverUpdated(ServerQuery& query) = 0;
        virtual void serverTimedOut(ServerQuery& query) = 0;

    protected:
        ~Listener() = default;
    };

    explicit ServerQuery(QueryEngine& engine, QObject* parent = nullptr);
    ~ServerQuery() override;

    // Starts watching a server: the schedule (unless refreshed only on request) and a first query at once.
    void init(const QString& address, const QString& game, bool manualRefresh, int queryPort = 0);
    // A query asked for by the owner: a fresh cycle with its own retries.
    void sendQuery();
    // Stops watching: every timer stops and the address and game are emptied.
    void shutdown();

    void setListener(Listener* listener) { m_listener = listener; }
    void setManualRefresh(bool manualRefresh);
    // The friends the owner saw on this server at its previous answer; the query object only keeps them.
    void setFriends(const QStringList& names) { m_friends = names; }

    const QString& address() const { return m_address; }
    const QString& game() const { return m_game; }
    bool manualRefresh() const { return m_manualRefresh; }
    const QString& hostname() const { return m_hostname; }
    // The name with its colour codes, empty when it has none.
    const QString& colouredHostname() const { return m_colouredHostname; }
    const QString& map() const { return m_map; }
    const QString& maxPlayers() const { return m_maxPlayers; }
    const QString& numPlayers() const { return m_numPlayers; }
    // The local time of the last processed answer; null once the server has timed out.
    const QDateTime& lastRefresh() const { return m_lastRefresh; }
    // Milliseconds, 0 to 9999; 0 while no answer has been measured in the current cycle.
    qint32 ping() const override { return m_ping; }
    // The players of the last answer, or no table when the last parser gave none.
    const std::optional<PlayerTable>& players() const { return m_players; }
    // False until an answer has carried players: an engine's first answer may carry none.
    bool playersReceived() const { return m_playersReceived; }
    // The last player table stands in for players the answer left out.
    bool playersIncomplete() const { return m_playersIncomplete; }
    // The engine states the player count in its answer instead of listing every player.
    bool reportsPlayerCount() const;
    const SettingsTable& settings() const { return m_settings; }
    const QStringList& friends() const { return m_friends; }
    int retries() const override { return m_retries; }
    // What the last try came to; a bad answer's reason says what was wrong with it.
    ServerState state() const { return m_state; }
    const QString& stateReason() const { return m_stateReason; }
    // Separate answers a complete cycle brings in the dialect the server last answered.
    int answersPerCycle() const;
    // Numbers the cycles, so that an owner counts a cycle of several answers once.
    quint64 cycleNumber() const { return m_cycleNumber; }
    const QString& host() const override { return m_host; }
    quint16 remotePort() const override { return m_remotePort; }

signals:
    void serverUpdate();
    void timeOut();

private:
    using Kind = QueryEngine::DeadlineKind;

    void startCycle();
    // The engine calls back through transmit, deadlineReached, receive, refuse and engineGone; the
    // deadlines and the send queue are its own state, which the query reaches by its id.
    void transmit(bool reachable) override;
    void deadlineReached(Kind kind) override;
    void engineGone() override { m_id = 0; }
    // False when no answer was awaited and the datagram had no effect.
    bool receive(const QByteArray& datagram) override;
    bool refuse(const QString& reason) override;
    void scheduleNext(qint64 from);
    // The exchange for the game's protocol, made when first needed; null for an unknown game.
    EngineExchange* exchangeForGame();
    EngineExchange::Context context() const;
    // Acts on what the exchange made of a datagram; false when it had no effect.
    bool take(EngineExchange::Outcome&& outcome);
    // Takes an answer whose numbers were checked: the results, the state and the update.
    void takeAnswer(AnswerUpdate&& update);
    // False when a bad answer was already reported in this try (a flood is not news).
    bool badAnswer(const QString& reason);
    void measurePing();
    void retryOrGiveUp();
    void finishGathering();
    void apply(AnswerUpdate&& update);
    void noteErrors(const QList<AnswerError>& errors);
    void startTimer(Kind kind, qint64 due);
    void stopTimer(Kind kind);
    bool timerOn(Kind kind) const;
    void stopTimers();
    void clearResults();
    void announceUpdate();
    void announceTimeOut();

    QueryEngine& m_engine;
    quint32 m_id = 0;
    Listener* m_listener = nullptr;

    QString m_address;
    QString m_game;
    QString m_host;
    quint16 m_remotePort = 0;
    bool m_manualRefresh = false;

    QString m_hostname;
    QString m_colouredHostname;
    QString m_map;
    QString m_maxPlayers;
    QString m_numPlayers;
    QDateTime m_lastRefresh;
    qint32 m_ping = 0;
    std::optional<PlayerTable> m_players = PlayerTable{};
    bool m_playersReceived = false;
    bool m_playersIncomplete = false;
    SettingsTable m_settings;
    QStringList m_friends;

    int m_retries = 0;
    qint32 m_sendTick = 0;
    // Until when (engine milliseconds) the try's answers are heard once its time-out was stopped.
    qint64 m_awaitUntil = 0;
    std::unique_ptr<EngineExchange> m_exchange;

    // Kinds of answer error already reported since the server last answered well.
    QSet<QString> m_reportedErrors;
    bool m_cycleAnswered = false;
    quint64 m_cycleNumber = 0;
    bool m_cycleHadErrors = false;

    ServerState m_state = ServerState::Waiting;
    QString m_stateReason;
    bool m_badThisTry = false;
    bool m_reachable = false; // the current try could go out
};

} // namespace trevisk
