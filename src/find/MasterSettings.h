#pragma once

#include "find/MasterProtocol.h"

#include <QString>
#include <QStringList>

#include <optional>

class QSettings;

namespace trevisk {

// Where a master listens: a host (name or address) and a port.
struct MasterAddress
{
    QString host;
    quint16 port = 0;

    QString text() const;
};

// "host", "host:port" or "[IPv6]:port"; the port defaults to the kind's usual one. Nothing for
// anything else, so that no odd text reaches the resolver.
std::optional<MasterAddress> parseMasterAddress(const QString& text, MasterKind kind);

// The masters a game's list comes from, as the user set them, else those the program ships with.
// Stored under [Masters] as one text per game, the addresses separated by spaces.
QStringList mastersFor(QSettings& store, const QString& game);
void setMastersFor(QSettings& store, const QString& game, const QStringList& masters);
QStringList shippedMasters(const QString& game);
// Addresses separated by spaces, commas or semicolons.
QStringList splitMasterList(const QString& text);

} // namespace trevisk
