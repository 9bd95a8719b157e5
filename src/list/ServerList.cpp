#include "list/ServerList.h"

#include "store/Stores.h"

namespace trevisk {

const ServerRecord* findServerRecord(const Stores& stores, const QString& address)
{
    const auto& rows = stores.servers.rows;
    const auto it = std::find_if(
        rows.begin(), rows.end(), [&](const ServerRecord& record) { return record.addressText() == address; });
    return it == rows.end() ? nullptr : &*it;
}

ServerRemoval removeServerRecord(Stores& stores, const QString& address)
{
    ServerRemoval removal;
    auto servers = stores.servers;
    const auto it = std::find_if(servers.rows.begin(), servers.rows.end(), [&](const ServerRecord& record) {
        return record.addressText() == address;
    });
    if (it == servers.rows.end())
        return removal;
    removal.found = true;
    servers.rows.erase(it);
    auto previous = std::exchange(stores.servers, std::move(servers));
    removal.serversError = stores.saveServers();
    if (!removal.serversError.isEmpty()) {
        stores.servers = std::move(previous);
        return removal;
    }
    auto messages = stores.custEmail;
    const auto gone = std::remove_if(messages.rows.begin(), messages.rows.end(), [&](const CustomMessage& message) {
        return message.server == address;
    });
    if (gone == messages.rows.end())
        return removal;
    messages.rows.erase(gone, messages.rows.end());
    auto previousMessages = std::exchange(stores.custEmail, std::move(messages));
    removal.messagesError = stores.saveCustEmail();
    if (!removal.messagesError.isEmpty())
        stores.custEmail = std::move(previousMessages);
    return removal;
}

} // namespace trevisk
