#include "sim/SimPlan.h"

#include "core/Catalogue.h"

#include <set>
#include <utility>

namespace trevisk {

namespace {

// Ports above this are handed out by the kernel to outgoing sockets, clients' included.
constexpr int LastFixedPort = 32767;
// Spacing of game ports when several games run together: more than any offset but Raven Shield's.
constexpr int MultiGameSpacing = 20;

} // namespace

QString SimPlan::representativeGame(const QString& engine)
{
    static const std::pair<const char*, const char*> Representatives[]{
        {"Q2", "Quake 2"},
        {"Q3", "Quake 3"},
        {"HL", "Half Life"},
        {"UT", "Unreal Tournament"},
        {"UT2003", "Unreal Tournament 2003"},
        {"HALO", "Halo"},
        {"QW", "QuakeWorld"},
        {"NWN", "Neverwinter Nights"},
        {"RVS", "Raven Shield"},
    };
    for (const auto& [code, game] : Representatives) {
        if (engine.compare(QLatin1String(code), Qt::CaseInsensitive) == 0)
            return QLatin1String(game);
    }
    return {};
}

QStringList SimPlan::engines()
{
    QStringList out;
    for (const GameInfo& info : games()) {
        if (!out.contains(info.engine))
            out += info.engine;
    }
    return out;
}

std::optional<int> SimPlan::queryPortOffset(const QString& game)
{
    const GameInfo* info = findGame(game);
    if (info && info->query > 0)
        return std::nullopt;
    // The catalogue's rule applied to game port 0 gives the distance itself.
    return queryPort(game, QStringLiteral("127.0.0.1:0"));
}

QString SimServerSpec::address() const
{
    return joinAddress(host.toString(), QString::number(gamePort));
}

SimPlan SimPlan::make(const QStringList& gameList, int basePort, int count, const QHostAddress& host)
{
    SimPlan plan;
    if (gameList.isEmpty()) {
        plan.error = QStringLiteral("no game to serve");
        return plan;
    }
    for (const QString& game : gameList) {
        if (!findGame(game)) {
            plan.error = QStringLiteral("unknown game \"%1\"").arg(game);
            return plan;
        }
    }
    if (count < 1) {
        plan.error = QStringLiteral("the count must be at least 1");
        return plan;
    }
    if (basePort < 0 || basePort > 65535) {
        plan.error = QStringLiteral("port %1 is out of range").arg(basePort);
        return plan;
    }

    const int spacing = gameList.size() == 1 ? 1 : MultiGameSpacing;
    quint32 nextFixedHost = QHostAddress(QStringLiteral("127.0.0.2")).toIPv4Address();
    qint64 slot = 0;
    for (const QString& game : gameList) {
        const std::optional<int> offset = queryPortOffset(game);
        for (int i = 0; i < count; ++i, ++slot) {
            SimServerSpec spec;
            spec.game = game;
            spec.number = i + 1;
            spec.host = host;
            if (basePort == 0) {
                if (!offset) {
                    plan.error = QStringLiteral("%1 answers on the fixed query port %2: give a --port")
                                     .arg(game)
                                     .arg(queryPort(game, {}));
                    return plan;
                }
                plan.servers.push_back(spec);
                continue;
            }
            const qint64 gamePort = basePort + slot * spacing;
            if (!offset && host.protocol() == QAbstractSocket::IPv4Protocol)
                spec.host = QHostAddress(nextFixedHost++);
            const qint64 query = gamePort > 65535
                                     ? gamePort
                                     : queryPort(game, joinAddress(spec.host.toString(), QString::number(gamePort)));
            if (gamePort > 65535 || query > 65535) {
                plan.error = QStringLiteral("%1 servers from port %2 run past port 65535").arg(count).arg(basePort);
                return plan;
            }
            spec.gamePort = static_cast<quint16>(gamePort);
            spec.queryPort = static_cast<quint16>(query);
            plan.servers.push_back(spec);
        }
    }

    std::set<std::pair<QString, quint16>> bound;
    for (const SimServerSpec& spec : plan.servers) {
        if (spec.queryPort == 0)
            continue;
        if (!bound.emplace(spec.host.toString(), spec.queryPort).second) {
            plan.error = QStringLiteral("two servers would share %1:%2").arg(spec.host.toString()).arg(spec.queryPort);
            return plan;
        }
        if (spec.queryPort > LastFixedPort && plan.warnings.isEmpty())
            plan.warnings +=
                QStringLiteral("ports above %1 may be taken by outgoing sockets at any time").arg(LastFixedPort);
    }
    return plan;
}

} // namespace trevisk
