#pragma once

#include <QString>

namespace trevisk {

class Stores;
struct ServerRecord;

// The record of an address in the server list, or nullptr.
const ServerRecord* findServerRecord(const Stores& stores, const QString& address);

// What removing a server did; the list that failed to save stays in memory as it was.
struct ServerRemoval
{
    bool found = false;
    QString serversError;  // servers.dat could not be written
    QString messagesError; // custemail.dat could not be written

    bool ok() const { return found && serversError.isEmpty() && messagesError.isEmpty(); }
};

// Removes a server's record, then its custom alert text, writing each list whole.
ServerRemoval removeServerRecord(Stores& stores, const QString& address);

} // namespace trevisk
