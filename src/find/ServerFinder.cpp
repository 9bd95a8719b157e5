#include "find/ServerFinder.h"

#include "core/Catalogue.h"
#include "query/QueryEngine.h"

#include <QCoreApplication>
#include <QTimer>

namespace trevisk {

namespace {

// The name as its players read it: each caret goes with the character after it.
QString withoutColours(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('^') && i + 1 < text.size()) {
            ++i;
            continue;
        }
        plain += text[i];
    }
    return plain;
}

} // namespace

bool passesFilters(const FindFilters& filters, const QueryRound::Result& result)
{
    if (!result.answered)
        return !filters.any();
    if (!filters.name.isEmpty() && !withoutColours(result.hostname).contains(filters.name, Qt::CaseInsensitive))
        return false;
    if (!filters.map.isEmpty() && !result.map.contains(filters.map, Qt::CaseInsensitive))
        return false;
    const int players = result.playerCount();
    if (filters.notEmpty && players <= 0)
        return false;
    if (filters.notFull) {
        bool ok = false;
        const int maximum = result.maxPlayers.toInt(&ok);
        if (ok && players >= maximum)
            return false;
    }
    return true;
}

ServerFinder::ServerFinder(QueryEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
{}

ServerFinder::~ServerFinder() = default;

bool ServerFinder::start(const FindRequest& request, QString& error)
{
    stop();
    const GameInfo* game = findGame(request.game);
    if (!game) {
        error = QCoreApplication::translate("ServerFinder", "Unknown game \"%1\"").arg(request.game);
        return false;
    }
    MasterAsk ask;
    ask.kind = masterKindForGame(request.game);
    if (ask.kind == MasterKind::None) {
        error = QCoreApplication::translate("ServerFinder", "No master server lists %1 servers").arg(request.game);
        return false;
    }
    if (request.protocol && ask.kind != MasterKind::Quake3) {
        error = QCoreApplication::translate("ServerFinder",
                                            "Only the games of the Quake 3 engine are asked by protocol number");
        return false;
    }
    ask.protocol = request.protocol.value_or(game->masterProtocol);
    ask.gameName = game->masterName;
    if (ask.kind == MasterKind::Quake3 && ask.protocol <= 0) {
        error = QCoreApplication::translate("ServerFinder", "The protocol number of %1 is not known: give it")
                    .arg(request.game);
        return false;
    }
    ask.notEmpty = request.filters.notEmpty;
    ask.notFull = request.filters.notFull;
    std::vector<MasterAddress> masters;
    for (const QString& text : request.masters) {
        const auto master = parseMasterAddress(text, ask.kind);
        if (!master) {
            error = QCoreApplication::translate("ServerFinder", "\"%1\" is not a master address (host or host:port)")
                        .arg(text);
            return false;
        }
        masters.push_back(*master);
    }
    if (masters.empty()) {
        error = QCoreApplication::translate("ServerFinder", "No master is set for %1").arg(request.game);
        return false;
    }

    m_request = request;
    m_found.clear();
    m_rounds.clear();
    m_masters.clear();
    m_merged = std::make_unique<MasterList>(m_limit);
    m_queried = m_done = m_answered = 0;
    m_roundsLeft = 0;
    m_mastersLeft = static_cast<int>(masters.size());
    m_running = true;
    for (size_t i = 0; i < masters.size(); ++i) {
        m_masters.push_back({masters[i].text(), 0, false, QString()});
        auto query = std::make_unique<MasterQuery>(masters[i], ask, m_timing);
        connect(query.get(), &MasterQuery::serversListed, this, [this, i](const std::vector<ListedAddress>& servers) {
            m_masters[i].listed += static_cast<int>(servers.size());
            listed(servers);
        });
        connect(query.get(), &MasterQuery::finished, this, [this, i] { masterDone(i); });
        m_queries.push_back(std::move(query));
    }
    for (const auto& query : m_queries)
        query->start();
    return true;
}

void ServerFinder::stop()
{
    const bool running = m_running;
    m_running = false;
    for (const auto& query : m_queries) {
        query->disconnect(this);
        query->stop();
    }
    // They may be inside their own signal: they go once it returns, or with the finder if that is sooner,
    // while the query engine is still there.
    for (auto& query : m_queries) {
        query->setParent(this);
        query.release()->deleteLater();
    }
    m_queries.clear();
    for (auto& round : m_rounds) {
        round->disconnect(this);
        round->setParent(this);
        round.release()->deleteLater();
    }
    m_rounds.clear();
    if (running)
        emit finished();
}

void ServerFinder::listed(const std::vector<ListedAddress>& servers)
{
    const std::vector<ListedAddress> added = m_merged->add(servers);
    if (added.empty())
        return;
    const size_t first = m_found.size();
    std::vector<QueryRound::Target> targets;
    for (const ListedAddress& server : added) {
        Found found;
        found.listed = server;
        found.address = server.text();
        found.result.game = m_request.game;
        found.result.address = found.address;
        found.queried = true;
        targets.push_back({m_request.game, found.address});
        m_found.push_back(std::move(found));
    }
    emit serversListed(static_cast<int>(first), static_cast<int>(added.size()));
    if (targets.empty())
        return;
    // One round per batch, so that the first servers answer while later pages still come.
    auto round = std::make_unique<QueryRound>(m_engine);
    QueryRound* raw = round.get();
    std::vector<size_t> rows;
    for (size_t i = first; i < m_found.size(); ++i) {
        if (m_found[i].queried)
            rows.push_back(i);
    }
    connect(raw, &QueryRound::serverDone, this, [this, raw, rows](size_t index) {
        Found& found = m_found[rows[index]];
        found.result = raw->takeResult(index);
        found.done = true;
        ++m_done;
        if (found.result.answered)
            ++m_answered;
        emit serverDone(static_cast<int>(rows[index]));
    });
    connect(raw, &QueryRound::finished, this, [this] {
        --m_roundsLeft;
        checkFinished();
    });
    ++m_roundsLeft;
    m_queried += static_cast<int>(targets.size());
    m_rounds.push_back(std::move(round));
    raw->start(targets);
}

void ServerFinder::masterDone(size_t index)
{
    m_masters[index].finished = true;
    m_masters[index].error = m_queries[index]->error();
    --m_mastersLeft;
    emit masterFinished(static_cast<int>(index));
    if (m_mastersLeft == 0)
        emit listComplete();
    checkFinished();
}

void ServerFinder::checkFinished()
{
    if (!m_running || m_mastersLeft > 0 || m_roundsLeft > 0)
        return;
    m_running = false;
    emit finished();
}

} // namespace trevisk
