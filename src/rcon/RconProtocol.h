#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace trevisk {

// Quake family (Quake 2, Quake 3, QuakeWorld): the password rides in every command. Half-Life:
// the server first hands out a challenge that every command must carry.
enum class RconDialect
{
    Quake,
    HalfLife
};

// The dialect of a catalogue game, or nothing when its servers take no remote console commands.
std::optional<RconDialect> rconDialect(const QString& game);

struct RconTarget
{
    QString host;
    quint16 port = 0;
};

// Where the commands for a server go: its host and game port; an address without a port uses the
// game's usual one. Nothing for an empty host, a port that is no number in range, or an unknown game.
std::optional<RconTarget> rconTarget(const QString& game, const QString& address);

QByteArray rconChallengeRequest();
QByteArray
rconCommand(RconDialect dialect, const QByteArray& challenge, const QString& password, const QString& command);

// One datagram from the server, its framing taken off.
struct RconDatagram
{
    enum class Kind
    {
        Other, // not an rcon reply
        Challenge,
        Text, // console output; empty when the command printed nothing
    };
    Kind kind = Kind::Other;
    QByteArray text; // the challenge number, or the console text without its zero bytes
};

RconDatagram readRconDatagram(const QByteArray& datagram);

// Why the server would not run the command ("Bad rconpassword.", "Bad challenge.", ...), when the
// reply says so; empty otherwise.
QString rconRefusal(const QByteArray& text);

// Console text for a log view: UTF-8 when valid else Latin-1, carriage returns dropped, control
// characters other than line feeds and tabs shown as a stand-in.
QString rconDisplayText(const QByteArray& text);

inline constexpr char CommandAcceptedText[] = QT_TRANSLATE_NOOP("RconProtocol", "Server: Command Accepted");
inline constexpr char ReadyText[] = QT_TRANSLATE_NOOP("RconProtocol", "Ready...");
inline constexpr char OfflineText[] =
    QT_TRANSLATE_NOOP("RconProtocol", "Unable to send command. Server appears to be offline!");

} // namespace trevisk
