#include "query/ServerQuery.h"

#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/Routines.h"
#include "query/EngineProtocol.h"
#include "query/QueryEngine.h"
#include "query/engines/AnswerText.h"

namespace trevisk {

namespace {

// Lists hold many ports of a few machines: their servers share one copy of the host's text. The
// pool is bounded, as the list may name any number of hosts.
QString sharedHost(const QString& host)
{
    constexpr qsizetype PoolLimit = 4096;
    thread_local QSet<QString> pool;
    if (const auto found = pool.constFind(host); found != pool.constEnd())
        return *found;
    if (pool.size() < PoolLimit)
        pool.insert(host);
    return host;
}

constexpr auto Schedule = QueryEngine::DeadlineKind::Schedule;
constexpr auto TimeOut = QueryEngine::DeadlineKind::TimeOut;
constexpr auto Gather = QueryEngine::DeadlineKind::Gather;
constexpr qint32 PingLimit = 10000;
constexpr qint32 PingCap = 9999;

// Where an exchange's datagrams go: where the current try went, if it could go anywhere.
class TrySender : public EngineExchange::Sender
{
public:
    TrySender(QueryEngine& engine, quint32 id, bool reachable)
        : m_engine(engine)
        , m_id(reachable ? id : 0)
    {}
    void send(const QByteArray& datagram) override
    {
        if (m_id)
            m_engine.sendDatagram(m_id, datagram);
    }

private:
    QueryEngine& m_engine;
    quint32 m_id;
};

} // namespace

ServerQuery::ServerQuery(QueryEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
{
    m_id = m_engine.attach(this);
}

ServerQuery::~ServerQuery()
{
    if (m_id)
        m_engine.detach(m_id);
}

void ServerQuery::init(const QString& address, const QString& game, bool manualRefresh, int queryPortValue)
{
    stopTimers();
    m_retries = 0;
    if (m_id) {
        m_engine.cancelSend(m_id);
        m_engine.unregisterRoute(m_id);
    }
    // A reused object starts from nothing: the last server's results are not the new one's.
    if (address != m_address)
        clearResults();
    m_address = address;
    m_game = game;
    m_manualRefresh = manualRefresh;
    m_host = sharedHost(hostPart(address));
    m_remotePort = static_cast<quint16>(queryPort(game, address, queryPortValue));
    // What the exchange learnt of the server holds while its engine stays the same.
    if (m_exchange && &m_exchange->protocol() != m_engine.protocolFor(game))
        m_exchange.reset();
    if (!m_manualRefresh)
        scheduleNext(m_engine.now());
    startCycle();
}

void ServerQuery::clearResults()
{
    m_hostname.clear();
    m_colouredHostname.clear();
    m_map.clear();
    m_maxPlayers.clear();
    m_numPlayers.clear();
    m_lastRefresh = QDateTime();
    m_ping = 0;
    m_players = PlayerTable{};
    m_playersReceived = false;
    m_playersIncomplete = false;
    m_settings = {};
    m_friends.clear();
    m_exchange.reset();
    m_reportedErrors.clear();
    m_cycleAnswered = false;
    m_cycleHadErrors = false;
    m_state = ServerState::Waiting;
    m_stateReason.clear();
}

// The listener hears last: a receiver it connects while it handles the update (a join check)
// waits for the next one, as it would if the listener were connected to the signal itself.
void ServerQuery::announceUpdate()
{
    emit serverUpdate();
    if (m_listener)
        m_listener->serverUpdated(*this);
}

void ServerQuery::announceTimeOut()
{
    emit timeOut();
    if (m_listener)
        m_listener->serverTimedOut(*this);
}

void ServerQuery::sendQuery()
{
    m_retries = 0;
    startCycle();
}

void ServerQuery::shutdown()
{
    stopTimers();
    m_retries = 0;
    if (m_id) {
        m_engine.cancelSend(m_id);
        m_engine.unregisterRoute(m_id);
    }
    m_address.clear();
    m_game.clear();
    m_host.clear();
    if (m_exchange)
        m_exchange->stop();
}

void ServerQuery::setManualRefresh(bool manualRefresh)
{
    m_manualRefresh = manualRefresh;
    if (manualRefresh) {
        stopTimer(Schedule);
    } else if (!manualRefresh && !timerOn(Schedule) && !m_address.isEmpty()) {
        scheduleNext(m_engine.now());
    }
}

void ServerQuery::stopTimer(Kind kind)
{
    if (m_id)
        m_engine.stopDeadline(m_id, kind);
}

bool ServerQuery::timerOn(Kind kind) const
{
    return m_id && m_engine.deadlineOn(m_id, kind);
}

void ServerQuery::stopTimers()
{
    for (Kind kind : {Schedule, TimeOut, Gather})
        stopTimer(kind);
}

void ServerQuery::scheduleNext(qint64 from)
{
    if (m_id)
        m_engine.startSchedule(m_id, from);
}

void ServerQuery::startTimer(Kind kind, qint64 due)
{
    if (m_id)
        m_engine.startDeadline(m_id, kind, due);
}

EngineExchange* ServerQuery::exchangeForGame()
{
    if (!m_exchange) {
        if (const EngineProtocol* protocol = m_engine.protocolFor(m_game))
            m_exchange = protocol->newExchange();
    }
    return m_exchange.get();
}

EngineExchange::Context ServerQuery::context() const
{
    return {m_game, m_engine.friendList(), m_maxPlayers};
}

void ServerQuery::startCycle()
{
    if (m_address.isEmpty() || !m_id)
        return;
    // A cycle answered without a fault clears the faults already reported, so a relapse is reported again.
    if (m_cycleAnswered && !m_cycleHadErrors)
        m_reportedErrors.clear();
    m_cycleAnswered = false;
    m_cycleHadErrors = false;
    if (EngineExchange* exchange = exchangeForGame())
        exchange->startCycle();
    ++m_cycleNumber;
    m_engine.requestSend(m_id, false);
}

void ServerQuery::transmit(bool reachable)
{
    if (m_address.isEmpty())
        return;
    startTimer(TimeOut, m_engine.now() + m_engine.timing().timeOut.count());
    m_badThisTry = false;
    m_reachable = reachable;
    // The sending tick comes first: a refusal may come back while the requests go out.
    m_sendTick = m_engine.ticks();
    m_ping = 0;
    EngineExchange* exchange = exchangeForGame();
    if (!exchange)
        return;
    m_awaitUntil = m_engine.now() + m_engine.timing().timeOut.count();
    TrySender sender(m_engine, m_id, reachable);
    exchange->startTry(m_retries, sender);
    // The gathering window runs from the first request of the cycle; a running window is not restarted.
    if (exchange->gathers() && !timerOn(Gather))
        startTimer(Gather, m_engine.now() + m_engine.timing().gather.count());
    if (reachable)
        m_engine.countTry();
}

void ServerQuery::deadlineReached(Kind kind)
{
    switch (kind) {
    case Schedule:
        scheduleNext(m_engine.now());
        // A cycle still retrying is left to end: restarting it would reset its tries, and a
        // refresh shorter than the tries take would never let a silent server time out.
        if (timerOn(TimeOut) || m_engine.sendPending(m_id))
            break;
        m_retries = 0;
        startCycle();
        break;
    case TimeOut:
        retryOrGiveUp();
        break;
    case Gather:
        finishGathering();
        break;
    }
}

void ServerQuery::retryOrGiveUp()
{
    ++m_retries;
    if (m_exchange)
        m_exchange->timedOut();
    if (m_retries >= m_engine.timing().triesPerCycle) {
        m_lastRefresh = QDateTime();
        m_engine.countTimeOut();
        m_state = ServerState::NoAnswer;
        m_stateReason.clear();
        announceTimeOut();
        announceUpdate();
        return;
    }
    m_engine.requestSend(m_id, true);
}

bool ServerQuery::receive(const QByteArray& datagram)
{
    // Only what the current try awaits is an answer: anything else from the server's address may
    // be forged, and taking it would report events that never happened.
    if (!m_exchange)
        return false;
    const bool open = m_exchange->gathers() ? timerOn(Gather) || timerOn(TimeOut)
                                            : timerOn(TimeOut) || m_engine.now() <= m_awaitUntil;
    if (!open || !m_exchange->awaiting()) {
        m_exchange->unawaited(datagram);
        return false;
    }
    if (datagram.isEmpty())
        return true;
    TrySender sender(m_engine, m_id, m_reachable);
    return take(m_exchange->receive(datagram, context(), sender));
}

bool ServerQuery::take(EngineExchange::Outcome&& outcome)
{
    using Step = EngineExchange::Step;
    noteErrors(outcome.errors);
    switch (outcome.step) {
    case Step::Ignored:
        return false;
    case Step::Held:
        return true;
    case Step::Heard:
        measurePing();
        return true;
    case Step::Gathered:
        stopTimer(TimeOut);
        measurePing();
        m_cycleAnswered = true;
        if (!timerOn(Gather))
            startTimer(Gather, m_engine.now() + m_engine.timing().gather.count());
        return true;
    case Step::Answer:
        stopTimer(TimeOut);
        measurePing();
        m_cycleAnswered = true;
        takeAnswer(std::move(outcome.update));
        return true;
    case Step::Bad:
        return badAnswer(outcome.reason);
    }
    return false;
}

void ServerQuery::measurePing()
{
    if (m_ping != 0)
        return;
    // Wide enough that a wrap of the tick count gives a negative difference (ping 0), not an overflow.
    const qint64 elapsed = qint64{m_engine.ticks()} - qint64{m_sendTick};
    m_ping = elapsed < 0 ? 0 : (elapsed > PingLimit ? PingCap : static_cast<qint32>(elapsed));
}

void ServerQuery::takeAnswer(AnswerUpdate&& update)
{
    m_lastRefresh = m_engine.clock().now();
    apply(std::move(update));
    m_state = ServerState::Up;
    m_stateReason.clear();
    announceUpdate();
}

bool ServerQuery::badAnswer(const QString& reason)
{
    if (m_badThisTry)
        return false;
    m_badThisTry = true;
    // Something listens there: no retry, and no time-out.
    stopTimer(TimeOut);
    m_state = ServerState::BadAnswer;
    m_stateReason = reason;
    announceUpdate();
    return true;
}

bool ServerQuery::refuse(const QString& reason)
{
    if (!timerOn(TimeOut))
        return false;
    stopTimer(TimeOut);
    stopTimer(Gather);
    m_engine.cancelSend(m_id);
    m_retries = m_engine.timing().triesPerCycle;
    m_awaitUntil = 0;
    if (m_exchange)
        m_exchange->stop();
    m_lastRefresh = QDateTime();
    m_engine.countTimeOut(); // a refused cycle is a time-out that came early
    m_state = ServerState::Refused;
    m_stateReason = reason;
    announceTimeOut();
    announceUpdate();
    return true;
}

int ServerQuery::answersPerCycle() const
{
    if (m_exchange)
        return m_exchange->answersPerCycle();
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    return protocol ? protocol->answersPerCycle() : 1;
}

bool ServerQuery::reportsPlayerCount() const
{
    if (m_exchange)
        return m_exchange->reportsPlayerCount();
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    return protocol && protocol->reportsPlayerCount();
}

void ServerQuery::finishGathering()
{
    if (!m_exchange)
        return;
    // The parts already stopped the time-out and measured the ping.
    EngineExchange::Outcome outcome = m_exchange->finish(context());
    if (outcome.step == EngineExchange::Step::Answer)
        takeAnswer(std::move(outcome.update));
    else if (outcome.step == EngineExchange::Step::Bad)
        badAnswer(outcome.reason);
}

void ServerQuery::apply(AnswerUpdate&& update)
{
    m_engine.countAnswer();
    if (update.hostname) {
        m_hostname = *update.hostname;
        m_colouredHostname = update.colouredHostname;
    }
    if (update.map)
        m_map = *update.map;
    if (update.maxPlayers)
        m_maxPlayers = *update.maxPlayers;
    if (update.numPlayers)
        m_numPlayers = *update.numPlayers;
    // Taken, not copied: every answer of every server passes here.
    if (update.settings) {
        m_settings = std::move(*update.settings);
        m_settings.squeeze();
    }
    if (update.playersChanged) {
        m_players = std::move(update.players);
        m_playersReceived = true;
        m_playersIncomplete = update.playersIncomplete;
    }
    noteErrors(update.errors);
}

void ServerQuery::noteErrors(const QList<AnswerError>& errors)
{
    if (errors.isEmpty())
        return;
    m_engine.countAnswerError();
    m_cycleHadErrors = true;
    for (const AnswerError& error : errors) {
        if (m_reportedErrors.contains(error.procedure))
            continue;
        m_reportedErrors.insert(error.procedure);
        // The description may quote the server's own bytes.
        if (AnswerErrorSink* sink = m_engine.errorSink())
            sink->answerError(m_address, {error.procedure, visibleText(error.description), error.number});
    }
}

} // namespace trevisk
