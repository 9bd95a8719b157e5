#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a monitor sends and how it reads answers, written out here so that the simulated servers
// are checked against the protocol and not against themselves.
namespace simtest {

inline const QByteArray Header(4, '\xFF');

// The datagrams one query of the engine sends, in order.
inline QList<QByteArray> requestsFor(const QString& engine)
{
    if (engine == QLatin1String("Q2") || engine == QLatin1String("QW"))
        return {Header + "status\n"};
    if (engine == QLatin1String("Q3"))
        return {Header + "getstatus\n"};
    if (engine == QLatin1String("UT") || engine == QLatin1String("UT2003"))
        return {"\\status\\\r\n"};
    if (engine == QLatin1String("HL"))
        return {Header + "infostring\n", Header + "players\n"};
    if (engine == QLatin1String("HALO"))
        return {QByteArray::fromHex("FEFD00776A9D9DFFFFFFFF")};
    if (engine == QLatin1String("NWN"))
        return {QByteArray::fromHex("FEFD00E0EB2D0E14010B0105080A333435130436373839143A3B3C3D0000")};
    if (engine == QLatin1String("RVS"))
        return {"REPORT"};
    return {};
}

// The value after "key\" (anywhere, first occurrence) up to the next backslash, else the next line feed.
inline QByteArray keyValue(const QByteArray& text, const QByteArray& key)
{
    const qsizetype at = text.indexOf(key + '\\');
    if (at < 0)
        return {};
    const qsizetype start = at + key.size() + 1;
    qsizetype end = text.indexOf('\\', start);
    if (end < 0)
        end = text.indexOf('\n', start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

} // namespace simtest
