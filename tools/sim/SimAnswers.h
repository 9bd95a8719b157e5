#pragma once

#include "sim/SimServerState.h"

#include <QByteArray>
#include <QList>

// Answers shaped as the real servers of each engine send them. Pure: state in, bytes out.
namespace trevisk::simanswers {

// Quake 3 "statusResponse": the cvar line of an ioquake3 server, then one `score ping "name"` line
// per player ("Soldier of Fortune 2" puts a third number before the name). `timestamp` fills g_timestamp;
// the request's argument comes back first in the line as "challenge", as ioquake3 echoes it.
QByteArray quake3Status(const SimServerState& state, const QByteArray& timestamp, const QByteArray& challenge = {});
// ioquake3's "infoResponse": the short server info, echoing the challenge it was asked with.
QByteArray quake3Info(const SimServerState& state, const QByteArray& challenge);
// Quake 2 "print": the server info line, then `score ping "name"` lines.
QByteArray quake2Status(const SimServerState& state);
// QuakeWorld "n": the server info line, `userid frags minutes ping "name" "skin" top bottom` lines, a zero byte.
QByteArray quakeWorldStatus(const SimServerState& state);
// Half-Life's old "infostringresponse" and its "D" player records.
QByteArray halfLifeInfo(const SimServerState& state);
QByteArray halfLifePlayers(const SimServerState& state);
// Today's Half-Life servers: A2S_INFO ('I'), A2S_PLAYER ('D' with the seconds connected) and A2S_RULES ('E').
QByteArray a2sInfo(const SimServerState& state);
QByteArray a2sPlayers(const SimServerState& state);
QByteArray a2sRules(const SimServerState& state);
// The split forms of a reply: FE FF FF FF, the id, then GoldSrc's number/total byte or Source's
// total, number and size short; payloads of at most `partSize` bytes.
enum class SplitForm
{
    GoldSrc,
    Source,
};
QList<QByteArray> a2sSplit(const QByteArray& reply, qint32 id, int partSize, SplitForm form);

// The datagrams of one Unreal-family answer, in their natural order; each carries "queryid"
// `queryId`.k and the last one "final".
QList<QByteArray> unrealParts(const SimServerState& state, int queryId);
// Halo's GameSpy answer: keys and values, then the player section.
QByteArray haloStatus(const SimServerState& state, const QByteArray& requestId);
// Neverwinter Nights: the values of the requested keys, in request order.
QByteArray neverwinterStatus(const SimServerState& state, const QByteArray& requestId, const QByteArray& keys);
// Raven Shield's answer to "REPORT": tagged fields separated by the byte B6.
QByteArray ravenShieldReport(const SimServerState& state);

// The datagrams that carry a console text back to an rcon client, in the engine's framing;
// long texts are cut into several datagrams, each framed by itself.
QList<QByteArray> rconReply(const QString& engine, const QByteArray& text);
// The console's "status" text for the rcon command of that name.
QByteArray rconStatusText(const SimServerState& state);

} // namespace trevisk::simanswers
