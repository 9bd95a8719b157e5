#include "query/QueryRound.h"

#include "core/Catalogue.h"
#include "query/EngineProtocol.h"
#include "query/QueryEngine.h"
#include "query/ServerJson.h"
#include "query/ServerQuery.h"

#include <QTimer>

namespace trevisk {

int QueryRound::Result::playerCount() const
{
    if (reportsPlayerCount)
        return numPlayers.toInt();
    return players ? static_cast<int>(players->size()) : 0;
}

void QueryRound::Result::copyAnswer(const ServerQuery& query)
{
    reportsPlayerCount = query.reportsPlayerCount();
    hostname = query.hostname();
    map = query.map();
    maxPlayers = query.maxPlayers();
    numPlayers = query.numPlayers();
    ping = query.ping();
    players = query.players();
    settings = query.settings();
}

QueryRound::QueryRound(QueryEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
{}

QueryRound::~QueryRound() = default;

void QueryRound::start(const std::vector<Target>& targets)
{
    m_results.clear();
    m_results.resize(targets.size());
    m_answers.assign(targets.size(), 0);
    m_done.assign(targets.size(), false);
    m_queries.clear();
    m_waits.clear();
    m_waits.resize(targets.size());
    m_remaining = targets.size();
    for (size_t i = 0; i < targets.size(); ++i) {
        m_results[i].game = targets[i].game;
        m_results[i].address = targets[i].address;
        auto query = std::make_unique<ServerQuery>(m_engine);
        connect(query.get(), &ServerQuery::serverUpdate, this, [this, i] { serverUpdated(i); });
        connect(query.get(), &ServerQuery::timeOut, this, [this, i] {
            if (m_done[i])
                return;
            if (m_answers[i] == 0) {
                m_results[i].state = m_queries[i]->state();
                m_results[i].stateReason = m_queries[i]->stateReason();
            }
            complete(i, m_answers[i] > 0);
        });
        m_queries.push_back(std::move(query));
    }
    for (size_t i = 0; i < targets.size(); ++i)
        m_queries[i]->init(targets[i].address, targets[i].game, 1);
    if (targets.empty())
        QTimer::singleShot(0, this, &QueryRound::finished);
}

void QueryRound::serverUpdated(size_t index)
{
    if (m_done[index])
        return;
    ServerQuery& query = *m_queries[index];
    Result& result = m_results[index];
    if (query.state() == ServerState::BadAnswer) {
        // A bad answer ends the server's query; nothing of this query is shown.
        Result cleared;
        cleared.game = result.game;
        cleared.address = result.address;
        result = std::move(cleared);
        result.state = ServerState::BadAnswer;
        result.stateReason = query.stateReason();
        complete(index, false);
        return;
    }
    if (query.lastRefresh().isNull())
        return;
    result.answered = true;
    result.state = ServerState::Up;
    result.copyAnswer(query);
    if (++m_answers[index] >= query.answersPerCycle()) {
        complete(index, true);
        return;
    }
    // An answer stops the cycle's time-out: give the rest one time-out to come.
    if (!m_waits[index]) {
        m_waits[index] = std::make_unique<QTimer>();
        m_waits[index]->setSingleShot(true);
        connect(m_waits[index].get(), &QTimer::timeout, this, [this, index] { complete(index, true); });
        m_waits[index]->start(m_engine.timing().timeOut);
    }
}

void QueryRound::complete(size_t index, bool answered)
{
    if (m_done[index])
        return;
    m_done[index] = true;
    m_results[index].answered = answered;
    // The result holds all that is wanted of the query object; it may be inside its own signal.
    ServerQuery* query = m_queries[index].release();
    query->shutdown();
    query->setParent(this);
    query->deleteLater();
    if (m_waits[index])
        m_waits[index]->stop();
    emit serverDone(index);
    if (--m_remaining == 0)
        emit finished();
}

} // namespace trevisk
