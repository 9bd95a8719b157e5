#include "monitor/QueryPool.h"

#include "core/Catalogue.h"
#include "query/ServerQuery.h"
#include "store/Records.h"

namespace trevisk {

namespace {

int queryPortOf(const ServerRecord& record)
{
    return record.queryPort.value_or(0);
}

} // namespace

QueryPool::QueryPool(QueryEngine& engine, Wire wire)
    : m_engine(engine)
    , m_wire(std::move(wire))
{}

QueryPool::~QueryPool() = default;

ServerQuery* QueryPool::find(const QString& address) const
{
    const int index = m_index.value(address, -1);
    return index < 0 ? nullptr : m_objects[static_cast<size_t>(index)].get();
}

QStringList QueryPool::addresses() const
{
    QStringList served;
    for (const auto& query : m_objects) {
        if (!query->address().isEmpty())
            served << query->address();
    }
    return served;
}

void QueryPool::load(const ServerRecord& record)
{
    const QString address = record.addressText();
    const bool manualRefresh = record.manualRefresh.value_or(false);
    if (ServerQuery* query = find(address)) {
        if (query->game() != record.gameText()
            || query->remotePort() != queryPort(record.gameText(), address, queryPortOf(record)))
            rebind(*query, record);
        else if (query->manualRefresh() != manualRefresh)
            query->setManualRefresh(manualRefresh);
        return;
    }
    int index = -1;
    if (!m_free.empty()) {
        index = *m_free.begin();
        m_free.erase(m_free.begin());
    } else {
        m_objects.push_back(std::make_unique<ServerQuery>(m_engine));
        m_wire(*m_objects.back());
        index = static_cast<int>(m_objects.size()) - 1;
    }
    m_index.insert(address, index);
    m_objects[static_cast<size_t>(index)]->init(address, record.gameText(), manualRefresh, queryPortOf(record));
}

void QueryPool::move(const QString& oldAddress, const ServerRecord& record)
{
    const int index = m_index.value(oldAddress, -1);
    if (index < 0)
        return;
    m_index.remove(oldAddress);
    m_index.insert(record.addressText(), index);
    rebind(*m_objects[static_cast<size_t>(index)], record);
}

void QueryPool::rebind(ServerQuery& query, const ServerRecord& record)
{
    // Results belong to one server of one game: they go only when the object serves another.
    if (query.address() != record.addressText() || query.game() != record.gameText())
        query.shutdown();
    query.init(record.addressText(), record.gameText(), record.manualRefresh.value_or(false), queryPortOf(record));
}

void QueryPool::stop(const QString& addressToStop)
{
    // A copy: the caller's text may be the object's own, emptied below.
    const QString address = addressToStop; // NOLINT(performance-unnecessary-copy-initialization)
    const int index = m_index.value(address, -1);
    if (index < 0)
        return;
    m_objects[static_cast<size_t>(index)]->shutdown();
    m_objects[static_cast<size_t>(index)]->setFriends({});
    m_index.remove(address);
    m_free.insert(index);
}

void QueryPool::refreshAll()
{
    for (const auto& query : m_objects)
        query->sendQuery();
}

} // namespace trevisk
