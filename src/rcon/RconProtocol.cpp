#include "rcon/RconProtocol.h"

#include "core/Catalogue.h"
#include "core/Routines.h"
#include "query/EngineProtocol.h"

namespace trevisk {

std::optional<RconDialect> rconDialect(const QString& game)
{
    if (!hasRemoteConsole(game))
        return std::nullopt;
    return getEngine(game) == QLatin1String("HL") ? RconDialect::HalfLife : RconDialect::Quake;
}

std::optional<RconTarget> rconTarget(const QString& game, const QString& address)
{
    const GameInfo* info = findGame(game);
    if (!info)
        return std::nullopt;
    const HostPort split = splitAddress(address.trimmed());
    if (!split.valid)
        return std::nullopt;
    RconTarget target;
    target.host = split.host.trimmed();
    int port = info->port;
    if (split.hasPort) {
        bool ok = false;
        port = split.port.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (target.host.isEmpty() || port < 1 || port > 65535)
        return std::nullopt;
    target.port = static_cast<quint16>(port);
    return target;
}

QByteArray rconChallengeRequest()
{
    return PacketPrefix + "challenge rcon\r\n";
}

QByteArray
rconCommand(RconDialect dialect, const QByteArray& challenge, const QString& password, const QString& command)
{
    QByteArray out = PacketPrefix + "rcon ";
    if (dialect == RconDialect::HalfLife)
        out += challenge + ' ';
    return out + password.toUtf8() + ' ' + command.toUtf8() + '\n';
}

RconDatagram readRconDatagram(const QByteArray& datagram)
{
    RconDatagram read;
    if (!datagram.startsWith(PacketPrefix))
        return read;
    QByteArray body = datagram.mid(PacketPrefix.size());
    if (body.startsWith("challenge")) {
        read.kind = RconDatagram::Kind::Challenge;
        read.text = body.mid(body.lastIndexOf(' ') + 1);
        read.text.replace('\n', QByteArray()).replace('\r', QByteArray()).replace('\0', QByteArray());
        return read;
    }
    if (body.startsWith("print")) {
        // Quake 2 and 3 put a line break after the word, also when nothing follows.
        body.remove(0, 5);
        if (body.startsWith('\n'))
            body.remove(0, 1);
    } else if (body.startsWith('l') || body.startsWith('n')) {
        // Half-Life and QuakeWorld: one letter, the text, a zero byte.
        body.remove(0, 1);
    } else {
        return read;
    }
    read.kind = RconDatagram::Kind::Text;
    read.text = body.replace('\0', QByteArray());
    return read;
}

QString rconRefusal(const QByteArray& text)
{
    const QByteArray firstLine = text.left(text.indexOf('\n')).trimmed();
    for (const char* refusal :
         {"Bad rconpassword.", "Bad rcon_password.", "Bad challenge.", "No rconpassword set on the server."}) {
        if (firstLine == refusal)
            return QString::fromLatin1(refusal);
    }
    return {};
}

QString rconDisplayText(const QByteArray& text)
{
    QString shown = decodeText(text);
    shown.remove(QLatin1Char('\r'));
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code != u'\n' && code != u'\t' && (code < 0x20 || (code >= 0x7F && code < 0xA0)))
            c = QChar(StandIn);
    }
    return shown;
}

} // namespace trevisk
