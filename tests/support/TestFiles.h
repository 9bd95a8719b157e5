#pragma once

#include <QByteArray>
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

} // namespace trevisk
