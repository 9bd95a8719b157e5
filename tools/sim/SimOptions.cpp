#include "sim/SimOptions.h"

#include "core/Catalogue.h"

#include <algorithm>

namespace trevisk {

namespace {

std::optional<int> toInt(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

// "A-B" or "A:B" (or a single "A" when `single` allows it), both whole numbers from 0.
std::optional<std::pair<int, int>> toRange(const QString& text, QChar separator, bool single)
{
    const QStringList parts = text.split(separator);
    if (parts.size() == 1 && single) {
        const auto value = toInt(parts[0], 0, 3600000);
        return value ? std::optional(std::pair(*value, *value)) : std::nullopt;
    }
    if (parts.size() != 2)
        return std::nullopt;
    const auto low = toInt(parts[0], 0, 3600000);
    const auto high = toInt(parts[1], 0, 3600000);
    if (!low || !high)
        return std::nullopt;
    return std::pair(*low, *high);
}

} // namespace

QString SimOptions::usage()
{
    return QStringLiteral(
        "Usage: trevisk-sim (--engine ENGINE | --game NAME | --all) --port PORT [options]\n"
        "Serves simulated game servers on 127.0.0.1 (or --bind) until ended by a signal. Prints one line per\n"
        "server: the game, a tab, and the address to list (host:game port).\n"
        "\n"
        "  --engine ENGINE       Q2, Q3, QW, HL, UT, UT2003, HALO, NWN or RVS\n"
        "  --game NAME           a catalogue game, e.g. \"Medal of Honor\"\n"
        "  --all                 one server of every engine (ports 20 apart)\n"
        "  --port PORT           first game port; 0: ephemeral query ports\n"
        "  --count N             servers (of each engine with --all), default 1\n"
        "  --players N           players on each server at start, default 4\n"
        "  --max-players N       player limit, default the engine's usual one\n"
        "  --churn MS            a player joins or leaves every MS milliseconds\n"
        "  --flap UP:DOWN        answer for UP ms, then stay silent for DOWN ms, repeatedly\n"
        "  --drop P              lose each answer datagram with probability P (0-1)\n"
        "  --link-rate N         a link that carries N requests a second (all servers together)\n"
        "                        and drops those beyond\n"
        "  --delay MIN-MAX       delay every answer by a random MIN-MAX milliseconds\n"
        "  --seed N              seed of the random choices, default 1\n"
        "  --unreal-order LIST   send Unreal answer parts in this order, e.g. 2,1,3\n"
        "  --unreal-repeat K     send Unreal answer part K twice\n"
        "  --bind ADDRESS        serve every server on this loopback address, default 127.0.0.1;\n"
        "                        ::1 serves them over IPv6\n"
        "  --reply-from HOST[:PORT]  send answers from this loopback address (and port)\n"
        "  --rcon-password PASS  accept rcon commands with this password\n"
        "  --a2s-only            Half-Life: answer only the A2S queries, not the old ones\n"
        "  --a2s-split BYTES     Half-Life: split A2S replies longer than BYTES into parts\n"
        "  --a2s-form FORM       goldsrc (default) or source: the form of the split parts\n"
        "  --a2s-reverse         send the split parts last first\n"
        "  --master KIND         also serve a master of KIND (Q3, QW, Q2, HL) listing the servers;\n"
        "                        its address is printed first as \"master<TAB>host:port\"\n"
        "  --master-port PORT    the master's port, default 0 (ephemeral)\n"
        "  --master-split N      N entries a datagram (a page for HL)\n"
        "  --master-duplicates   list every server twice\n"
        "  --master-end-each     Q3: the end mark after every datagram, as older masters do\n"
        "  --master-ipv6 N       Q3 extended lists: N IPv6 entries too ([::1]:1 up)\n"
        "  --master-extra N      N more entries on 127.255.x.y, where nothing answers\n"
        "  --master-fault F      truncated, wrong-header, zero, no-end, loop or garbage\n"
        "  --help                this text\n");
}

std::optional<SimOptions> SimOptions::parse(const QStringList& arguments, QString& error)
{
    SimOptions options;
    int selectors = 0;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        std::optional<QString> inlineValue;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); name.startsWith(QLatin1String("--")) && eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        const auto bad = [&](const QString& what) {
            error = QStringLiteral("%1: %2").arg(name, what);
            return std::nullopt;
        };

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (name == QLatin1String("--a2s-only") || name == QLatin1String("--a2s-reverse")) {
            (name == QLatin1String("--a2s-only") ? options.a2s.only : options.a2s.reversed) = true;
            continue;
        }
        if (name == QLatin1String("--master-duplicates") || name == QLatin1String("--master-end-each")) {
            if (!options.master)
                return bad(QStringLiteral("give --master first"));
            (name == QLatin1String("--master-duplicates") ? options.master->duplicates : options.master->endEach) =
                true;
            continue;
        }
        if (name == QLatin1String("--all")) {
            ++selectors;
            for (const QString& engine : SimPlan::engines())
                options.games += SimPlan::representativeGame(engine);
            continue;
        }
        const std::optional<QString> v = value();
        if (!v)
            return bad(QStringLiteral("needs a value"));
        if (name == QLatin1String("--engine")) {
            ++selectors;
            const QString game = SimPlan::representativeGame(*v);
            if (game.isEmpty())
                return bad(QStringLiteral("unknown engine \"%1\"").arg(*v));
            options.games = {game};
        } else if (name == QLatin1String("--game")) {
            ++selectors;
            if (!findGame(*v))
                return bad(QStringLiteral("\"%1\" is not a catalogue game").arg(*v));
            options.games = {*v};
        } else if (name == QLatin1String("--port")) {
            const auto port = toInt(*v, 0, 65535);
            if (!port)
                return bad(QStringLiteral("a port from 0 to 65535"));
            options.port = *port;
        } else if (name == QLatin1String("--count")) {
            const auto count = toInt(*v, 1, 1000000);
            if (!count)
                return bad(QStringLiteral("a count from 1"));
            options.count = *count;
        } else if (name == QLatin1String("--players")) {
            const auto players = toInt(*v, 0, 255);
            if (!players)
                return bad(QStringLiteral("a number from 0 to 255"));
            options.players = *players;
        } else if (name == QLatin1String("--max-players")) {
            const auto maxPlayers = toInt(*v, 1, 255);
            if (!maxPlayers)
                return bad(QStringLiteral("a number from 1 to 255"));
            options.maxPlayers = *maxPlayers;
        } else if (name == QLatin1String("--churn")) {
            const auto churn = toInt(*v, 1, 3600000);
            if (!churn)
                return bad(QStringLiteral("milliseconds from 1"));
            options.churn = std::chrono::milliseconds(*churn);
        } else if (name == QLatin1String("--flap")) {
            const auto flap = toRange(*v, QLatin1Char(':'), false);
            if (!flap || flap->first == 0 || flap->second == 0)
                return bad(QStringLiteral("UP:DOWN, milliseconds from 1"));
            options.flapUp = std::chrono::milliseconds(flap->first);
            options.flapDown = std::chrono::milliseconds(flap->second);
        } else if (name == QLatin1String("--drop")) {
            bool ok = false;
            const double drop = v->toDouble(&ok);
            if (!ok || drop < 0.0 || drop > 1.0)
                return bad(QStringLiteral("a probability from 0 to 1"));
            options.drop = drop;
        } else if (name == QLatin1String("--link-rate")) {
            bool ok = false;
            const int rate = v->toInt(&ok);
            if (!ok || rate < 1)
                return bad(QStringLiteral("requests a second, from 1"));
            options.linkRate = rate;
        } else if (name == QLatin1String("--delay")) {
            const auto delay = toRange(*v, QLatin1Char('-'), true);
            if (!delay || delay->first > delay->second)
                return bad(QStringLiteral("MIN-MAX milliseconds"));
            options.delayMin = std::chrono::milliseconds(delay->first);
            options.delayMax = std::chrono::milliseconds(delay->second);
        } else if (name == QLatin1String("--seed")) {
            bool ok = false;
            options.seed = v->toUInt(&ok);
            if (!ok)
                return bad(QStringLiteral("a whole number"));
        } else if (name == QLatin1String("--unreal-order")) {
            options.unrealOrder.clear();
            for (const QString& part : v->split(QLatin1Char(','))) {
                const auto k = toInt(part, 1, 1000);
                if (!k)
                    return bad(QStringLiteral("part numbers from 1, separated by commas"));
                options.unrealOrder += *k;
            }
        } else if (name == QLatin1String("--unreal-repeat")) {
            const auto k = toInt(*v, 1, 1000);
            if (!k)
                return bad(QStringLiteral("a part number from 1"));
            options.unrealRepeat = *k;
        } else if (name == QLatin1String("--reply-from")) {
            const qsizetype colon = v->lastIndexOf(QLatin1Char(':'));
            const QHostAddress host(colon < 0 ? *v : v->left(colon));
            const auto port = colon < 0 ? std::optional(0) : toInt(v->mid(colon + 1), 0, 65535);
            // Simulated servers never speak from an address other machines could see.
            if (!host.isLoopback() || host.protocol() != QAbstractSocket::IPv4Protocol || !port)
                return bad(QStringLiteral("a 127.x.x.x address, optionally with :PORT"));
            options.replyHost = host;
            options.replyPort = static_cast<quint16>(*port);
        } else if (name == QLatin1String("--bind")) {
            // Loopback only, as for --reply-from.
            const QHostAddress host(*v);
            if (!host.isLoopback() || !host.scopeId().isEmpty())
                return bad(QStringLiteral("a loopback address: 127.x.x.x or ::1"));
            options.bind = host;
        } else if (name == QLatin1String("--a2s-split")) {
            const auto bytes = toInt(*v, 16, 1400);
            if (!bytes)
                return bad(QStringLiteral("bytes from 16 to 1400"));
            options.a2s.partSize = *bytes;
        } else if (name == QLatin1String("--a2s-form")) {
            if (*v != QLatin1String("goldsrc") && *v != QLatin1String("source"))
                return bad(QStringLiteral("goldsrc or source"));
            options.a2s.form =
                *v == QLatin1String("source") ? simanswers::SplitForm::Source : simanswers::SplitForm::GoldSrc;
        } else if (name == QLatin1String("--master")) {
            const auto kind = SimMaster::kindNamed(*v);
            if (!kind)
                return bad(QStringLiteral("Q3, QW, Q2 or HL"));
            options.master = SimMaster::Options{};
            options.master->kind = *kind;
        } else if (name.startsWith(QLatin1String("--master-"))) {
            if (!options.master)
                return bad(QStringLiteral("give --master first"));
            if (name == QLatin1String("--master-fault")) {
                const auto fault = SimMaster::faultNamed(*v);
                if (!fault)
                    return bad(QStringLiteral("truncated, wrong-header, zero, no-end, loop or garbage"));
                options.master->fault = *fault;
                continue;
            }
            const auto number = toInt(*v, 0, 1000000);
            if (!number)
                return bad(QStringLiteral("a number from 0"));
            if (name == QLatin1String("--master-port") && *number <= 65535)
                options.masterPort = *number;
            else if (name == QLatin1String("--master-split") && *number > 0)
                options.master->perDatagram = *number;
            else if (name == QLatin1String("--master-ipv6"))
                options.master->ipv6 = *number;
            else if (name == QLatin1String("--master-extra"))
                options.master->extra = *number;
            else
                return bad(QStringLiteral("unknown option or value out of range"));
        } else if (name == QLatin1String("--rcon-password")) {
            options.rconPassword = v->toLocal8Bit();
        } else {
            error = QStringLiteral("unknown option %1").arg(name);
            return std::nullopt;
        }
    }
    if (options.help)
        return options;
    if (selectors != 1) {
        error = QStringLiteral("give exactly one of --engine, --game and --all");
        return std::nullopt;
    }
    if (options.port < 0) {
        error = QStringLiteral("--port is required");
        return std::nullopt;
    }
    // The reply socket and the master speak IPv4 only.
    if (options.bind.protocol() == QAbstractSocket::IPv6Protocol && (options.replyHost || options.master)) {
        error = QStringLiteral("--reply-from and --master need an IPv4 --bind");
        return std::nullopt;
    }
    return options;
}

SimResponder SimOptions::makeResponder(const SimServerSpec& spec, int index) const
{
    SimServerState state = SimServerState::forGame(spec.game, spec.number, 0);
    if (maxPlayers > 0)
        state.maxPlayers = maxPlayers;
    state.players = SimServerState::makePlayers(state.engine, std::min(players, state.maxPlayers));
    state.rconPassword = rconPassword;
    SimResponder responder(std::move(state), seed + static_cast<quint32>(index));
    responder.setDropProbability(drop);
    responder.setPartOrder(unrealOrder);
    responder.setRepeatedPart(unrealRepeat);
    responder.setChurnInterval(churn);
    responder.setA2s(a2s);
    return responder;
}

} // namespace trevisk
