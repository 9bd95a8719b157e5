#include "query/ServerQuery.h"

#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/ErrorText.h"
#include "core/Routines.h"
#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"
#include "query/QueryEngine.h"
#include "query/engines/AnswerText.h"
#include "query/engines/PlayersResult.h"

#include <QRandomGenerator>
#include <QUdpSocket>

namespace trevisk {

namespace {

constexpr auto Schedule = QueryEngine::DeadlineKind::Schedule;
constexpr auto TimeOut = QueryEngine::DeadlineKind::TimeOut;
constexpr auto Gather = QueryEngine::DeadlineKind::Gather;
constexpr qint32 PingLimit = 10000;
constexpr qint32 PingCap = 9999;
// An Unreal answer comes in a handful of parts; more within one window is a flood.
constexpr std::size_t MaxGatheredParts = 128;
// One challenge per query of a try at most: a server that keeps handing out new ones is not followed further.
constexpr int MaxChallengeReplies = a2s::QueryCount;
// The challenges of a cycle's tries, a late answer to an earlier try being as good as any.
constexpr int MaxEchoChallenges = 8;

bool isA2sShaped(const QByteArray& datagram)
{
    return a2s::replyKind(datagram) || a2s::challengeOf(datagram) || a2s::isSplitPart(datagram);
}

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
    m_host = hostPart(address);
    m_remotePort = static_cast<quint16>(queryPort(game, address, queryPortValue));
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
    m_settings.reset();
    m_friends.clear();
    m_packets.clear();
    m_reportedErrors.clear();
    m_cycleAnswered = false;
    m_cycleHadErrors = false;
    m_state = ServerState::Waiting;
    m_stateReason.clear();
    m_useA2s = false;
    m_challenge.reset();
    m_splits.clear();
    m_echo = Echo::Unknown;
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
    m_packets.clear();
    m_awaited = 0;
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

void ServerQuery::startCycle()
{
    if (m_address.isEmpty() || !m_id)
        return;
    // A cycle answered without a fault clears the faults already reported, so a relapse is reported again.
    if (m_cycleAnswered && !m_cycleHadErrors)
        m_reportedErrors.clear();
    m_cycleAnswered = false;
    m_cycleHadErrors = false;
    m_echoChallenges.clear();
    ++m_cycleNumber;
    m_engine.requestSend(m_id, false);
}

void ServerQuery::transmit(int socketIndex, const QHostAddress& address)
{
    if (m_address.isEmpty())
        return;
    startTimer(TimeOut, m_engine.now() + m_engine.timing().timeOut.count());
    m_packets.clear();
    m_awaited = 0;
    m_badThisTry = false;
    m_droppedUnechoed = false;
    m_socketIndex = socketIndex;
    m_sentTo = address;
    // The sending tick comes first: a refusal may come back while the requests go out.
    m_sendTick = m_engine.ticks();
    m_ping = 0;
    if (const EngineProtocol* protocol = m_engine.protocolFor(m_game)) {
        // The remembered dialect first; a try that got no answer hands the next one to the other.
        m_tryA2s = protocol->speaksA2s() && ((m_retries % 2 == 1) != m_useA2s);
        m_awaitUntil = m_engine.now() + m_engine.timing().timeOut.count();
        if (m_tryA2s) {
            m_awaited = a2s::QueryCount;
            m_a2sPending.fill(true);
            m_challengeReplies = 0;
            m_splits.clear();
            for (int query = 0; query < a2s::QueryCount; ++query)
                sendA2s(a2s::Query(query));
            ++m_engine.m_counters.queriesSent;
            return;
        }
        m_awaited = protocol->gathers() ? 0 : protocol->answersPerCycle();
        // The gathering window runs from the first request of the cycle; a running window is not restarted.
        if (protocol->gathers() && !timerOn(Gather))
            startTimer(Gather, m_engine.now() + m_engine.timing().gather.count());
        QList<QByteArray> requests;
        if (protocol->echoesChallenge()) {
            // A fresh challenge per try: an answer forged from the server's address cannot echo it.
            if (m_echoChallenges.size() >= std::size_t(MaxEchoChallenges))
                m_echoChallenges.erase(m_echoChallenges.begin());
            m_echoChallenges.push_back(QByteArray::number(QRandomGenerator::system()->generate64() >> 16, 16));
            requests = protocol->requestsWith(m_echoChallenges.back());
        } else {
            requests = protocol->requests();
        }
        if (socketIndex >= 0 && !address.isNull()) {
            for (const QByteArray& request : requests)
                m_engine.sendDatagram(socketIndex, request, address, m_remotePort);
            ++m_engine.m_counters.queriesSent;
        }
    }
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
    // The try brought answers without the challenge and none with it: this server does not echo (an
    // old version, another fork, or an information line too full to take it), and is heard without it.
    if (m_droppedUnechoed)
        m_echo = Echo::No;
    m_droppedUnechoed = false;
    if (m_retries >= m_engine.timing().triesPerCycle) {
        m_lastRefresh = QDateTime();
        ++m_engine.m_counters.timeOuts;
        m_state = ServerState::NoAnswer;
        m_stateReason.clear();
        emit timeOut();
        emit serverUpdate();
        return;
    }
    m_engine.requestSend(m_id, true);
}

bool ServerQuery::receive(const QByteArray& datagram)
{
    // Only what the current try awaits is an answer: anything else from the server's address may
    // be forged, and taking it would report events that never happened.
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    const bool gathers = protocol && protocol->gathers() && !m_tryA2s;
    const bool awaited = gathers ? (timerOn(Gather) || timerOn(TimeOut))
                                 : (m_awaited > 0 && (timerOn(TimeOut) || m_engine.now() <= m_awaitUntil));
    if (!awaited || (gathers && m_packets.size() >= MaxGatheredParts)) {
        // An answer forged without the challenge may have come first and been taken; the server's own,
        // echoing this cycle's challenge, still shows that it echoes, and the next cycles ask for it.
        if (protocol && protocol->echoesChallenge() && m_echo != Echo::Yes) {
            const std::optional<QByteArray> echoed = protocol->echoedChallenge(datagram);
            if (echoed
                && std::find(m_echoChallenges.cbegin(), m_echoChallenges.cend(), *echoed) != m_echoChallenges.cend())
                m_echo = Echo::Yes;
        }
        return false;
    }
    if (datagram.isEmpty())
        return true;
    if (m_tryA2s)
        return receiveA2s(datagram);
    if (gathers) {
        stopTimer(TimeOut);
        measurePing();
        m_cycleAnswered = true;
        const QByteArray key = protocol->partKey(datagram);
        const bool repeated =
            std::any_of(m_packets.cbegin(), m_packets.cend(), [&](const auto& part) { return part.first == key; });
        if (!repeated)
            m_packets.emplace_back(key, datagram);
        if (!timerOn(Gather))
            startTimer(Gather, m_engine.now() + m_engine.timing().gather.count());
        return true;
    }
    if (protocol && !protocol->recognises(datagram)) {
        // A late reply of the other dialect is no news; anything else is no answer of this engine.
        if (protocol->speaksA2s() && isA2sShaped(datagram))
            return false;
        return badAnswer(QStringLiteral("not a %1 server's answer (%2 bytes)").arg(m_game).arg(datagram.size()));
    }
    if (protocol && protocol->echoesChallenge() && !echoesOwnChallenge(*protocol, datagram))
        return false;
    AnswerUpdate update = protocol ? protocol->parse(datagram, m_game, m_engine.friendList()) : AnswerUpdate{};
    // A bad answer takes no awaited place: the true one may still come.
    if (const auto reason = nonsenseIn(update, m_maxPlayers, protocol && protocol->reportsPlayerCount()))
        return badAnswer(*reason);
    --m_awaited;
    stopTimer(TimeOut);
    measurePing();
    m_cycleAnswered = true;
    takeAnswer(std::move(update));
    return true;
}

bool ServerQuery::receiveA2s(const QByteArray& datagram)
{
    if (const auto challenge = a2s::challengeOf(datagram)) {
        if (m_challengeReplies >= MaxChallengeReplies)
            return false;
        ++m_challengeReplies;
        measurePing();
        // One challenge serves every query from this address: each request not yet sent with it goes again.
        m_challenge = *challenge;
        for (int query = 0; query < a2s::QueryCount; ++query) {
            if (m_a2sPending[size_t(query)] && m_a2sSentWith[size_t(query)] != m_challenge)
                sendA2s(a2s::Query(query));
        }
        return true;
    }
    QByteArray reply = datagram;
    if (a2s::isSplitPart(datagram)) {
        if (m_splits.heldParts() >= MaxGatheredParts)
            return false;
        const a2s::SplitAssembler::Outcome outcome = m_splits.add(datagram);
        using State = a2s::SplitAssembler::Outcome::State;
        if (outcome.state == State::Pending)
            return true;
        if (outcome.state != State::Complete) {
            // The server is there, but this reply cannot be read. When it is all the try brought, the
            // try ends as a bad answer that says why: stopping the time-out without an answer would
            // leave the cycle waiting for ever. After a reply that was read, it is only reported.
            noteErrors({AnswerError{QStringLiteral("A2S split reply"), outcome.error, MalformedRecord}});
            return m_awaited == a2s::QueryCount ? badAnswer(outcome.error) : true;
        }
        reply = outcome.reply;
    }
    const std::optional<a2s::Query> kind = a2s::replyKind(reply);
    if (!kind) {
        const EngineProtocol* protocol = m_engine.protocolFor(m_game);
        if (protocol && protocol->recognises(reply))
            return false;
        return badAnswer(QStringLiteral("not an A2S reply (%1 bytes)").arg(reply.size()));
    }
    if (!m_a2sPending[size_t(*kind)])
        return false;
    AnswerUpdate update;
    switch (*kind) {
    case a2s::Query::Info:
        update = a2s::parseInfo(reply);
        break;
    case a2s::Query::Players:
        takePlayers(update, a2s::parsePlayers(reply, m_engine.friendList()));
        break;
    case a2s::Query::Rules:
        update = a2s::parseRules(reply);
        break;
    }
    // A2S_INFO states the count, bots included: the players' list may be partial or refused.
    if (const auto reason = nonsenseIn(update, m_maxPlayers, true))
        return badAnswer(*reason);
    m_a2sPending[size_t(*kind)] = false;
    --m_awaited;
    stopTimer(TimeOut);
    measurePing();
    m_cycleAnswered = true;
    m_useA2s = true;
    takeAnswer(std::move(update));
    return true;
}

bool ServerQuery::echoesOwnChallenge(const EngineProtocol& protocol, const QByteArray& datagram)
{
    const std::optional<QByteArray> echoed = protocol.echoedChallenge(datagram);
    if (!echoed) {
        // Expected from a server that has echoed, or whose game's servers all do; others (old versions,
        // other forks) are heard as ever.
        const bool expected = m_echo == Echo::Yes || (m_echo == Echo::Unknown && protocol.alwaysEchoes(m_game));
        m_droppedUnechoed = m_droppedUnechoed || expected;
        return !expected;
    }
    if (std::find(m_echoChallenges.cbegin(), m_echoChallenges.cend(), *echoed) == m_echoChallenges.cend())
        return false;
    m_echo = Echo::Yes;
    return true;
}

void ServerQuery::sendA2s(a2s::Query query)
{
    m_a2sSentWith[size_t(query)] = m_challenge;
    if (m_socketIndex >= 0 && !m_sentTo.isNull())
        m_engine.sendDatagram(m_socketIndex, a2s::request(query, m_challenge), m_sentTo, m_remotePort);
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
    emit serverUpdate();
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
    emit serverUpdate();
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
    m_awaited = 0;
    m_awaitUntil = 0;
    m_packets.clear();
    m_lastRefresh = QDateTime();
    ++m_engine.m_counters.timeOuts; // a refused cycle is a time-out that came early
    m_state = ServerState::Refused;
    m_stateReason = reason;
    emit timeOut();
    emit serverUpdate();
    return true;
}

int ServerQuery::answersPerCycle() const
{
    if (m_useA2s)
        return a2s::QueryCount;
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    return protocol ? protocol->answersPerCycle() : 1;
}

void ServerQuery::finishGathering()
{
    // Only an answer that arrived is processed: an empty window leaves every result as it was.
    if (m_packets.empty())
        return;
    QByteArray joined;
    for (const auto& part : m_packets)
        joined += part.second;
    m_packets.clear();
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    if (!protocol) {
        takeAnswer({});
        return;
    }
    if (!protocol->recognises(joined)) {
        badAnswer(QStringLiteral("not a %1 server's answer (%2 bytes)").arg(m_game).arg(joined.size()));
        return;
    }
    AnswerUpdate update = protocol->parse(joined, m_game, m_engine.friendList());
    if (const auto reason = nonsenseIn(update, m_maxPlayers, protocol->reportsPlayerCount())) {
        badAnswer(*reason);
        return;
    }
    takeAnswer(std::move(update));
}

void ServerQuery::apply(AnswerUpdate&& update)
{
    ++m_engine.m_counters.answers;
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
    if (update.settings)
        m_settings = std::make_shared<const SettingsTable>(std::move(*update.settings));
    if (update.playersChanged) {
        m_players = std::move(update.players);
        m_playersReceived = true;
        m_playersIncomplete = update.playersIncomplete;
    }
    noteErrors(update.errors);
}

const SettingsTable& ServerQuery::settings() const
{
    static const SettingsTable none;
    return m_settings ? *m_settings : none;
}

bool ServerQuery::reportsPlayerCount() const
{
    if (m_useA2s)
        return true;
    const EngineProtocol* protocol = m_engine.protocolFor(m_game);
    return protocol && protocol->reportsPlayerCount();
}

void ServerQuery::noteErrors(const QList<AnswerError>& errors)
{
    if (errors.isEmpty())
        return;
    ++m_engine.m_counters.answerErrors;
    m_cycleHadErrors = true;
    for (const AnswerError& error : errors) {
        if (m_reportedErrors.contains(error.procedure))
            continue;
        m_reportedErrors.insert(error.procedure);
        // The description may quote the server's own bytes.
        if (AnswerErrorSink* sink = m_engine.errorSink())
            sink->answerError(m_address, errorText(visibleText(error.description), error.number, error.procedure));
    }
}

} // namespace trevisk
