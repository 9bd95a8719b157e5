#pragma once

#include "store/Records.h"

#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

namespace trevisk {

// What a server list exchange file held: the names of the fields its schema declares, and its
// rows with the fields this program knows (looked up by name; other fields are left out).
struct ServerListRead
{
    QStringList fields;
    std::vector<ServerRecord> rows;
    QString error; // empty when the whole file was read
    qint32 errorNumber = 0;

    bool ok() const { return error.isEmpty(); }
};

// Server lists as XML rowsets (the layout database tools exchange rows in): a schema naming and typing each field,
// then one z:row element per row with an attribute per non-null field.
ServerListRead readServerListXml(QIODevice& device);
ServerListRead readServerListFile(const QString& path);

// Writes the sixteen server fields in their stored order. Returns an empty text on success, else
// what failed (the device, or a text that XML cannot carry).
QString writeServerListXml(QIODevice& device, const std::vector<ServerRecord>& rows);
// Writes atomically: an existing file stays whole until the new one is complete.
// Returns an empty text on success, else what failed.
QString writeServerListFile(const QString& path, const std::vector<ServerRecord>& rows);

} // namespace trevisk
