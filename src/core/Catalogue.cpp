#include "core/Catalogue.h"

#include <QHostAddress>

#include <algorithm>

namespace trevisk {

namespace {

std::vector<GameInfo> buildCatalogue()
{
    auto row = [](const char* game,
                  qint32 port,
                  const char* engine,
                  qint32 query,
                  const char* shortName,
                  qint32 masterProtocol = 0,
                  const char* masterName = "") {
        return GameInfo{QString::fromUtf8(game),
                        port,
                        QString::fromLatin1(engine),
                        query,
                        QString::fromUtf8(shortName),
                        masterProtocol,
                        QString::fromLatin1(masterName)};
    };
    return {
        row("Quake 2", 27910, "Q2", 0, ""),
        row("Quake 3", 27960, "Q3", 0, "", 68, "Quake3Arena"),
        row("Call of Duty", 28960, "Q3", 0, "", 6),
        row("Half Life", 27015, "HL", 0, ""),
        row("Soldier of Fortune", 28910, "Q2", 0, "SOF"),
        row("Soldier of Fortune 2", 20100, "Q3", 0, "SOF2", 2004),
        row("Unreal", 7777, "UT", 0, ""),
        row("Unreal Tournament", 7777, "UT", 0, "UT"),
        row("Unreal Tournament 2003", 7777, "UT2003", 0, "UT 2003"),
        row("RTCW", 27960, "Q3", 0, "", 60),
        row("Wolfenstein: Enemy Territory", 27960, "Q3", 0, "Wolf: ET", 84),
        row("Medal of Honor", 12203, "UT", 12300, "MoH"),
        row("Battlefield 1942", 14567, "UT", 23000, "B1942"),
        row("Serious Sam", 25600, "UT", 0, ""),
        row("Serious Sam II", 25600, "UT", 0, ""),
        row("Jedi Knight II: JO", 28070, "Q3", 0, "JKII", 16),
        row("Jedi Knight III: JA", 29070, "Q3", 0, "JKIII", 26),
        row("Star Trek: Elite Force", 27960, "Q3", 0, "ST:EF", 24),
        row("Star Trek: Elite Force II", 29253, "Q3", 0, "ST:EF2"),
        row("Halo", 2302, "HALO", 0, ""),
        row("Alien vs. Predator 2", 27888, "UT", -1, "AvP2"),
        row("QuakeWorld", 27500, "QW", 0, "QW"),
        row("Global Operations", 28672, "UT", 28672, "Global Ops"),
        row("Neverwinter Nights", 5121, "NWN", 0, ""),
        row("Vietcong", 5425, "UT", 15425, ""),
        row("America's Army: Ops", 1716, "UT", 0, "America's Army"),
        row("Contract J.A.C.K", 27888, "UT", 0, ""),
        row("Deus Ex", 7790, "UT", 0, ""),
        row("Raven Shield", 7777, "RVS", 0, ""),
        row("Unreal II XMP", 7777, "UT2003", 0, "UTII XMP"),
        row("Postal 2: Share the Pain", 7777, "UT", 0, "Postal 2"),
    };
}

} // namespace

const std::vector<GameInfo>& games()
{
    static const std::vector<GameInfo> catalogue = buildCatalogue();
    return catalogue;
}

const GameInfo* findGame(const QString& game)
{
    const auto& all = games();
    const auto it = std::find_if(all.begin(), all.end(), [&](const GameInfo& info) { return info.game == game; });
    return it == all.end() ? nullptr : &*it;
}

QString getEngine(const QString& game)
{
    const GameInfo* info = findGame(game);
    return info ? info->engine : QString();
}

QString getQuery(const QString& game)
{
    const GameInfo* info = findGame(game);
    return info ? QString::number(info->query) : QString();
}

QString defaultPort(const QString& game)
{
    const GameInfo* info = findGame(game);
    return info ? QString::number(info->port) : QStringLiteral("27910");
}

QStringList sortedGameList()
{
    QStringList list;
    for (const GameInfo& info : games())
        list << info.game;
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return list;
}

HostPort splitAddress(const QString& address)
{
    HostPort split;
    if (address.startsWith(QLatin1Char('['))) {
        const qsizetype close = address.indexOf(QLatin1Char(']'));
        const QStringView rest = close < 0 ? QStringView() : QStringView(address).mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))) {
            split.valid = false;
            return split;
        }
        split.host = address.mid(1, close - 1);
        split.hasPort = !rest.isEmpty();
        split.port = rest.mid(1).toString();
        return split;
    }
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    if (colon < 0 || address.indexOf(QLatin1Char(':'), colon + 1) >= 0) {
        split.host = address;
        return split;
    }
    split.host = address.left(colon);
    split.hasPort = true;
    split.port = address.mid(colon + 1);
    return split;
}

QString joinAddress(const QString& host, const QString& port)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QStringLiteral("]:") + port
                                           : host + QLatin1Char(':') + port;
}

bool isIPv6Host(const QString& host)
{
    // Only the literal's own characters: the parser below forgives spaces, and takes zone ids.
    const bool plain = std::all_of(host.cbegin(), host.cend(), [](QChar c) {
        return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
               || c == QLatin1Char(':') || c == QLatin1Char('.');
    });
    QHostAddress address;
    return plain && address.setAddress(host) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

QString gamePortText(const QString& address)
{
    const HostPort split = splitAddress(address);
    return split.hasPort ? split.port : QStringLiteral("27910");
}

QString hostPart(const QString& address)
{
    return splitAddress(address).host;
}

int queryPort(const QString& game, const QString& address, int explicitQueryPort)
{
    if (explicitQueryPort != 0)
        return explicitQueryPort;
    const int gamePort = gamePortText(address).toInt();
    const GameInfo* info = findGame(game);
    const int q = info ? info->query : 0;
    if (q == -1)
        return gamePort;
    if (q != 0)
        return q;
    const QString engine = info ? info->engine : QString();
    if (engine == QLatin1String("UT"))
        return gamePort + 1;
    if (engine == QLatin1String("UT2003"))
        return gamePort + 10;
    if (engine == QLatin1String("RVS"))
        return gamePort + 1000;
    return gamePort;
}

} // namespace trevisk
