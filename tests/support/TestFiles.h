#pragma once

#include "store/Stores.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace trevisk {

// A new file at `path` holding `bytes`; false when it could not be written whole.
inline bool writeFile(const QString& path, const QByteArray& bytes = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What the file holds, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A server list of these addresses, all of one game, saved in `folder` (made when missing).
inline bool
saveServerList(const QString& folder, const QStringList& addresses, const QString& game = QStringLiteral("Quake 3"))
{
    Stores stores(folder);
    for (const QString& address : addresses) {
        ServerRecord& record = stores.servers.rows.emplace_back();
        record.game = game;
        record.address = address;
    }
    return QDir().mkpath(folder) && stores.saveServers().isEmpty();
}

} // namespace trevisk
