#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace trevisk {

class QueryEngine;
class ServerQuery;
struct ServerRecord;

// The query objects of the listed servers, by address. An object freed by a removal serves the next
// server added, lowest first, so that a list that shrinks and grows again does not pile them up.
class QueryPool
{
public:
    // Connects a new object's signals; called once per object.
    using Wire = std::function<void(ServerQuery&)>;

    QueryPool(QueryEngine& engine, Wire wire);
    ~QueryPool();

    ServerQuery* find(const QString& address) const;
    int size() const { return static_cast<int>(m_objects.size()); }
    // The addresses served now.
    QStringList addresses() const;

    // Queries a listed server: the object serving it follows its record, keeping its results while it
    // serves the same server and game; else a free object, else a new one.
    void load(const ServerRecord& record);
    // The object of an edited server serves its new record.
    void move(const QString& oldAddress, const ServerRecord& record);
    // The object stops and is free; its results and friends go.
    void stop(const QString& address);
    void refreshAll();

private:
    void rebind(ServerQuery& query, const ServerRecord& record);

    QueryEngine& m_engine;
    Wire m_wire;
    std::vector<std::unique_ptr<ServerQuery>> m_objects;
    QHash<QString, int> m_index; // the first element serving an address
    std::set<int> m_free;        // elements without an address, reused lowest first
};

} // namespace trevisk
