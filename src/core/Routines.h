#pragma once

#include <QString>
#include <QVariant>

namespace trevisk {

// Four bytes FF that begin connectionless query and rcon datagrams.
inline const QByteArray PacketPrefix(4, '\xFF');

QString escapeQuotes(const QString& value);
// Empty text for a null value, else the value as text.
QString nullToText(const QVariant& value);
bool killFile(const QString& path);
// The folder part of a path, up to and including its last separator ("/" or "\").
QString getFolder(const QString& path);
// Bytes from a server as text: UTF-8 when they are valid UTF-8, else one character per byte (Latin-1).
QString decodeText(const QByteArray& bytes);

} // namespace trevisk
