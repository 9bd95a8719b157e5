#pragma once

#include "find/MasterQuery.h"
#include "query/QueryRound.h"

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

namespace trevisk {

class QueryEngine;

// What a found server must be to be shown; every text compares without regard to case.
struct FindFilters
{
    QString name; // part of the name, colour codes left out
    QString map;  // part of the map
    bool notEmpty = false;
    bool notFull = false;

    bool any() const { return !name.isEmpty() || !map.isEmpty() || notEmpty || notFull; }
};

// A server that did not answer passes only when nothing is filtered: nothing is known of it.
bool passesFilters(const FindFilters& filters, const QueryRound::Result& result);

struct FindRequest
{
    QString game;
    QStringList masters;         // "host[:port]"
    std::optional<int> protocol; // Quake 3 family: instead of the catalogue's number
    FindFilters filters;
};

// One search: asks every master of the request, merges their lists without duplicates, and
// queries each listed server (IPv4 or IPv6) once with its engine's protocol as the lists come in.
class ServerFinder : public QObject
{
    Q_OBJECT
public:
    struct Found
    {
        ListedAddress listed;
        QString address; // as queried and stored: "host:port"
        bool queried = false;
        bool done = false;
        QueryRound::Result result;
    };
    struct MasterOutcome
    {
        QString master;
        int listed = 0;
        bool finished = false;
        QString error;
    };

    explicit ServerFinder(QueryEngine& engine, QObject* parent = nullptr);
    ~ServerFinder() override;

    void setMasterTiming(const MasterQuery::Timing& timing) { m_timing = timing; }
    void setListLimit(size_t limit) { m_limit = limit; }

    // Checks the request (a game with masters, addresses that parse, a protocol number) and starts;
    // false with the reason when it cannot.
    bool start(const FindRequest& request, QString& error);
    void stop();

    const FindRequest& request() const { return m_request; }
    const std::vector<Found>& found() const { return m_found; }
    const std::vector<MasterOutcome>& masters() const { return m_masters; }
    bool isListComplete() const { return m_mastersLeft == 0; }
    bool isFinished() const { return m_running == false; }
    int queriedCount() const { return m_queried; }
    int doneCount() const { return m_done; }
    int answeredCount() const { return m_answered; }

signals:
    void serversListed(int first, int count);
    void serverDone(int index);
    void masterFinished(int index);
    void listComplete();
    void finished();

private:
    void listed(const std::vector<ListedAddress>& servers);
    void masterDone(size_t index);
    void checkFinished();

    QueryEngine& m_engine;
    MasterQuery::Timing m_timing;
    size_t m_limit = MasterList::MaxServers;
    FindRequest m_request;
    std::vector<std::unique_ptr<MasterQuery>> m_queries;
    std::vector<std::unique_ptr<QueryRound>> m_rounds;
    std::vector<MasterOutcome> m_masters;
    std::vector<Found> m_found;
    std::unique_ptr<MasterList> m_merged;
    int m_mastersLeft = 0;
    int m_roundsLeft = 0;
    int m_queried = 0;
    int m_done = 0;
    int m_answered = 0;
    bool m_running = false;
};

} // namespace trevisk
