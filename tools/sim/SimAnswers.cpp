#include "sim/SimAnswers.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace trevisk::simanswers {

namespace {

const QByteArray Header(4, '\xFF');
const char Nul = '\0';

// Unreal servers spread the player keys over datagrams of a few players each.
constexpr int PlayersPerUnrealPart = 8;
// ioquake3 flushes console output at about a kilobyte per datagram, cutting lines where they fall.
constexpr int RconChunk = 1000;

using Pairs = std::vector<std::pair<QByteArray, QByteArray>>;
// Views, so that thousands of answers a second do not allocate a text per literal; the values
// must outlive the call, which holds for temporaries written in the call itself.
using PairViews = std::initializer_list<std::pair<QByteArrayView, QByteArrayView>>;

template <typename List> QByteArray keyValues(const List& pairs)
{
    qsizetype size = 0;
    for (const auto& [key, value] : pairs)
        size += key.size() + value.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const auto& [key, value] : pairs)
        out.append('\\').append(key).append('\\').append(value);
    return out;
}

QByteArray keyValues(PairViews pairs)
{
    return keyValues<PairViews>(pairs);
}

QByteArray number(qint64 n)
{
    return QByteArray::number(n);
}

QByteArray playerCount(const SimServerState& state)
{
    return number(static_cast<qint64>(state.players.size()));
}

QByteArray quakePlayerLines(const SimServerState& state, bool threeNumbers)
{
    QByteArray out;
    for (const SimPlayer& p : state.players) {
        out += number(p.score) + ' ' + number(p.ping);
        if (threeNumbers)
            out += " 0";
        out += " \"" + p.name + "\"\n";
    }
    return out;
}

QByteArray padded(const QByteArray& text, int width)
{
    return text.size() >= width ? text : text + QByteArray(width - text.size(), ' ');
}

} // namespace

QByteArray quake3Info(const SimServerState& state, const QByteArray& challenge)
{
    return Header + "infoResponse\n"
           + keyValues({{"challenge", challenge},
                        {"protocol", "71"},
                        {"hostname", state.hostname},
                        {"mapname", state.map},
                        {"clients", number(static_cast<qint64>(state.players.size()))},
                        {"sv_maxclients", number(state.maxPlayers)},
                        {"gametype", "0"},
                        {"pure", "1"}});
}

QByteArray quake3Status(const SimServerState& state, const QByteArray& timestamp, const QByteArray& challenge)
{
    const bool sof2 = state.game == QLatin1String("Soldier of Fortune 2");
    // ioquake3 puts the request's argument first in the information line, and nothing when there is none.
    return Header + "statusResponse\n" + (challenge.isEmpty() ? QByteArray() : "\\challenge\\" + challenge)
           + keyValues({
               {"com_protocol", "71"},
               {"sv_hostname", state.hostname},
               {"g_gametype", "0"},
               {"fraglimit", "0"},
               {"timelimit", "0"},
               {"sv_maxclients", number(state.maxPlayers)},
               {"sv_allowDownload", "0"},
               {"version", "ioq3 1.36+u20221123.70d07d9+dfsg-1/Debian linux-x86_64 Jan  8 2023"},
               {"com_gamename", "Quake3Arena"},
               {"dmflags", "0"},
               {"mapname", state.map},
               {"sv_privateClients", "0"},
               {"sv_minRate", "0"},
               {"sv_maxRate", "0"},
               {"sv_dlRate", "100"},
               {"sv_minPing", "0"},
               {"sv_maxPing", "0"},
               {"sv_floodProtect", "1"},
               {"bot_minplayers", "0"},
               {"gamename", "baseoa"},
               {"g_maxGameClients", "0"},
               {"videoflags", "7"},
               {"elimflags", "0"},
               {"voteflags", "767"},
               {"capturelimit", "8"},
               {"g_doWarmup", "0"},
               {"g_needpass", "0"},
               {"g_allowVote", "1"},
               {"g_voteGametypes", "/0/1/3/4/5/6/7/8/9/10/11/12/"},
               {"g_voteMaxTimelimit", "1000"},
               {"g_voteMinTimelimit", "0"},
               {"g_voteMaxFraglimit", "0"},
               {"g_voteMinFraglimit", "0"},
               {"g_obeliskRespawnDelay", "10"},
               {"g_enableDust", "0"},
               {"g_enableBreath", "0"},
               {"g_delagHitscan", "0"},
               {"elimination_roundtime", "120"},
               {"g_rockets", "0"},
               {"g_instantgib", "0"},
               {"g_lms_mode", "0"},
               {"g_altExcellent", "0"},
               {"g_timestamp", timestamp},
           })
           + '\n' + quakePlayerLines(state, sof2);
}

QByteArray quake2Status(const SimServerState& state)
{
    return Header + "print\n"
           + keyValues({
               {"cheats", "0"},
               {"deathmatch", "1"},
               {"dmflags", "16"},
               {"fraglimit", "0"},
               {"timelimit", "0"},
               {"version", "3.20 x86 Jan 12 1998 Linux"},
               {"hostname", state.hostname},
               {"maxclients", number(state.maxPlayers)},
               {"mapname", state.map},
               {"protocol", "34"},
               {"gamename", "baseq2"},
           })
           + '\n' + quakePlayerLines(state, false);
}

QByteArray quakeWorldStatus(const SimServerState& state)
{
    QByteArray out = Header + 'n'
                     + keyValues({
                         {"maxfps", "77"},
                         {"pm_ktjump", "1"},
                         {"*version", "MVDSV 0.35"},
                         {"*z_ext", "511"},
                         {"timelimit", "20"},
                         {"teamplay", "2"},
                         {"deathmatch", "1"},
                         {"maxclients", number(state.maxPlayers)},
                         {"maxspectators", "4"},
                         {"sv_antilag", "2"},
                         {"*gamedir", "qw"},
                         {"fpd", "222"},
                         {"hostname", state.hostname},
                         {"ktxver", "1.42"},
                         {"mode", "4on4"},
                         {"status", "Standby"},
                         {"*qvm", "so"},
                         {"*progs", "so"},
                         {"map", state.map},
                     })
                     + '\n';
    int userId = 0;
    for (const SimPlayer& p : state.players) {
        out += number(++userId) + ' ' + number(p.score) + ' ' + number(p.seconds / 60) + ' ' + number(p.ping) + " \""
               + p.name + "\" \"" + p.skin + "\" " + number(p.topColour) + ' ' + number(p.bottomColour) + '\n';
    }
    return out + Nul;
}

QByteArray halfLifeInfo(const SimServerState& state)
{
    return Header + "infostringresponse" + Nul
           + keyValues({
               {"protocol", "46"},
               {"address", state.address},
               {"players", playerCount(state)},
               {"proxytarget", "0"},
               {"lan", "0"},
               {"max", number(state.maxPlayers)},
               {"gamedir", "valve"},
               {"description", "Half-Life"},
               {"hostname", state.hostname},
               {"map", state.map},
               {"type", "d"},
               {"password", "0"},
               {"os", "l"},
               {"secure", "0"},
           })
           + Nul;
}

QByteArray a2sInfo(const SimServerState& state)
{
    const auto count = static_cast<char>(std::min<size_t>(state.players.size(), 255));
    QByteArray out =
        Header + 'I' + char(48) + state.hostname + Nul + state.map + Nul + "valve" + Nul + "Half-Life" + Nul;
    out += QByteArray("\x46\x00", 2); // app id 70, little-endian
    out += count;
    out += static_cast<char>(std::min(state.maxPlayers, 255));
    out += QByteArray("\x00"
                      "d"
                      "l"
                      "\x00"
                      "\x01",
                      5); // bots, dedicated, Linux, no password, VAC
    out += QByteArray("1.1.2.7/Stdio") + Nul;
    // Extra data: the game port.
    out += '\x80';
    out += static_cast<char>(state.gamePort & 0xFF);
    out += static_cast<char>(state.gamePort >> 8);
    return out;
}

QByteArray a2sPlayers(const SimServerState& state)
{
    const auto count = std::min<size_t>(state.players.size(), 255);
    QByteArray out = Header + 'D' + static_cast<char>(count);
    for (size_t i = 0; i < count; ++i) {
        const SimPlayer& p = state.players[i];
        out += '\0';
        out += p.name + Nul;
        char bytes[4];
        qToLittleEndian<qint32>(p.score, bytes);
        out += QByteArray(bytes, 4);
        const float seconds = static_cast<float>(p.seconds) + 0.5F;
        quint32 bits = 0;
        std::memcpy(&bits, &seconds, sizeof bits);
        qToLittleEndian<quint32>(bits, bytes);
        out += QByteArray(bytes, 4);
    }
    return out;
}

QByteArray a2sRules(const SimServerState& state)
{
    const QList<std::pair<QByteArray, QByteArray>> rules = {
        {"mp_friendlyfire", "0"},
        {"mp_timelimit", "30"},
        {"mp_fraglimit", "0"},
        {"sv_maxspeed", "320"},
        {"sv_gravity", "800"},
        {"sv_contact", "admin@sim.invalid"},
        {"mp_maxplayers", number(state.maxPlayers)},
        {"sv_password", "0"},
    };
    char count[2];
    qToLittleEndian<qint16>(static_cast<qint16>(rules.size()), count);
    QByteArray out = Header + 'E' + QByteArray(count, 2);
    for (const auto& [name, value] : rules)
        out += name + Nul + value + Nul;
    return out;
}

QList<QByteArray> a2sSplit(const QByteArray& reply, qint32 id, int partSize, SplitForm form)
{
    const int size = std::max(1, partSize);
    const int total = static_cast<int>((reply.size() + size - 1) / size);
    QList<QByteArray> parts;
    char idBytes[4];
    qToLittleEndian<qint32>(id, idBytes);
    for (int number = 0; number < total; ++number) {
        QByteArray part = QByteArray("\xFE\xFF\xFF\xFF", 4) + QByteArray(idBytes, 4);
        if (form == SplitForm::GoldSrc) {
            part += static_cast<char>((number << 4) | (total & 0x0F));
        } else {
            char sizeBytes[2];
            qToLittleEndian<qint16>(static_cast<qint16>(size), sizeBytes);
            part += static_cast<char>(total);
            part += static_cast<char>(number);
            part += QByteArray(sizeBytes, 2);
        }
        parts += part + reply.mid(qsizetype(number) * size, size);
    }
    return parts;
}

QByteArray halfLifePlayers(const SimServerState& state)
{
    const auto count = std::min<size_t>(state.players.size(), 255);
    QByteArray out = Header + 'D' + static_cast<char>(count);
    for (size_t i = 0; i < count; ++i) {
        const SimPlayer& p = state.players[i];
        // Slots count from 1: a zero index byte would read as the end of an empty name.
        out += static_cast<char>(i + 1);
        out += p.name + Nul;
        char score[4];
        qToLittleEndian<qint32>(p.score, score);
        out.append(score, 4);
        const auto time = static_cast<float>(p.seconds);
        quint32 bits = 0;
        std::memcpy(&bits, &time, sizeof bits);
        char timeBytes[4];
        qToLittleEndian<quint32>(bits, timeBytes);
        out.append(timeBytes, 4);
    }
    return out;
}

QList<QByteArray> unrealParts(const SimServerState& state, int queryId)
{
    const bool ut2003 = state.engine == QLatin1String("UT2003");
    QList<QByteArray> parts;
    parts += keyValues({
        {"gamename", ut2003 ? "ut2" : "ut"},
        {"gamever", ut2003 ? "2225" : "436"},
        {"minnetver", ut2003 ? "2206" : "432"},
        {"location", "0"},
        {"hostname", state.hostname},
        {"hostport", number(state.gamePort)},
        {"maptitle", state.map},
        {"mapname", state.map},
        {"gametype", ut2003 ? "xDeathMatch" : "DeathMatchPlus"},
        {"numplayers", playerCount(state)},
        {"maxplayers", number(state.maxPlayers)},
        {"gamemode", "openplaying"},
        {"worldlog", "false"},
        {"wantworldlog", "false"},
    });
    for (size_t first = 0; first < state.players.size(); first += PlayersPerUnrealPart) {
        Pairs keys;
        const size_t end = std::min(state.players.size(), first + PlayersPerUnrealPart);
        for (size_t i = first; i < end; ++i) {
            const SimPlayer& p = state.players[i];
            const QByteArray n = number(static_cast<qint64>(i));
            keys.emplace_back("player_" + n, p.name);
            keys.emplace_back("frags_" + n, number(p.score));
            keys.emplace_back("ping_" + n, number(p.ping));
            keys.emplace_back("team_" + n, number(static_cast<qint64>(i % 2)));
            if (!ut2003) {
                keys.emplace_back("mesh_" + n, "Male Commando");
                keys.emplace_back("skin_" + n, "CommandoSkins.cmdo");
                keys.emplace_back("ngsecret_" + n, "true");
            }
        }
        parts += keyValues(keys);
    }
    parts += keyValues({
        {"mutators", "None"},
        {"listenserver", "False"},
        {"password", "False"},
        {"timelimit", "20"},
        {"fraglimit", "30"},
        {"minplayers", "0"},
        {"changelevels", "True"},
        {"tournament", "False"},
        {"AdminName", "Sim"},
    });
    for (int k = 0; k < parts.size(); ++k)
        parts[k] += "\\queryid\\" + number(queryId) + '.' + number(k + 1);
    parts.last() += "\\final\\";
    return parts;
}

QByteArray haloStatus(const SimServerState& state, const QByteArray& requestId)
{
    const auto count = std::min<size_t>(state.players.size(), 255);
    const std::pair<const char*, QByteArray> info[]{
        {"hostname", state.hostname},
        {"gamever", "01.00.09.0620"},
        {"hostport", number(state.gamePort)},
        {"maxplayers", number(state.maxPlayers)},
        {"password", "0"},
        {"mapname", state.map},
        {"dedicated", "1"},
        {"gamemode", "openplaying"},
        {"game_classic", "0"},
        {"numplayers", number(static_cast<qint64>(count))},
        {"teamplay", "1"},
        {"gametype", "CTF"},
        {"gamevariant", "CTF"},
        {"fraglimit", "3"},
    };
    QByteArray out = Nul + requestId;
    for (const auto& [key, value] : info)
        out += key + (Nul + value) + Nul;
    // An empty key ends the server section; the player section opens with the count and its field names.
    out += Nul;
    out += static_cast<char>(count);
    for (const char* field : {"player_", "score_", "ping_", "team_", ""})
        out += QByteArray(field) + Nul;
    for (size_t i = 0; i < count; ++i) {
        const SimPlayer& p = state.players[i];
        out += p.name + Nul + number(p.score) + Nul + number(p.ping) + Nul + number(static_cast<qint64>(i % 2)) + Nul;
    }
    return out;
}

QByteArray neverwinterStatus(const SimServerState& state, const QByteArray& requestId, const QByteArray& keys)
{
    // GameSpy key codes; the 0x33 and up are Neverwinter's own (levels, player versus player,
    // server vault, player pause, build number, ...).
    const std::pair<unsigned char, QByteArray> values[]{
        {0x01, state.hostname},
        {0x02, "nwnmp"},
        {0x04, number(state.gamePort)},
        {0x05, state.map},
        {0x06, "Action"},
        {0x08, playerCount(state)},
        {0x0A, number(state.maxPlayers)},
        {0x0B, "openplaying"},
        {0x13, "0"},
        {0x33, "1"},
        {0x34, "20"},
        {0x35, "2"},
        {0x36, "1"},
        {0x37, "0"},
        {0x38, "8109"},
        {0x39, "1"},
        {0x3A, "0"},
        {0x3B, "0"},
        {0x3C, state.map},
        {0x3D, "0"},
    };
    QByteArray out = Nul + requestId;
    for (const char key : keys) {
        for (const auto& [code, value] : values) {
            if (code == static_cast<unsigned char>(key))
                out += value;
        }
        out += Nul; // an unknown key has an empty value
    }
    return out;
}

QByteArray ravenShieldReport(const SimServerState& state)
{
    QByteArray names = "/", times = "/", pings = "/", scores = "/";
    for (const SimPlayer& p : state.players) {
        names += p.name + '/';
        times += number(p.seconds / 60) + ':' + number(p.seconds % 60).rightJustified(2, '0') + '/';
        pings += number(p.ping) + '/';
        scores += number(p.score) + '/';
    }
    const QList<QByteArray> fields{
        "P1 " + number(state.gamePort),
        "F1 RGM_TeamSurvivalMode",
        "E1 " + state.map,
        "I1 " + state.hostname,
        "D2 1.60",
        "A1 " + number(state.maxPlayers),
        "G1 0",
        "H1 1",
        "J1 /" + state.map + '/',
        "K1 /RGM_TeamSurvivalMode/",
        "L1 " + names,
        "M1 " + times,
        "N1 " + pings,
        "O1 " + scores,
        "B1 " + playerCount(state),
        "Q1 5",
        "R1 240",
    };
    return fields.join('\xB6');
}

QList<QByteArray> rconReply(const QString& engine, const QByteArray& text)
{
    QByteArray prefix = Header;
    QByteArray suffix;
    if (engine == QLatin1String("Q2") || engine == QLatin1String("Q3")) {
        prefix += "print\n";
    } else if (engine == QLatin1String("QW")) {
        prefix += 'n';
        suffix += Nul;
    } else if (engine == QLatin1String("HL")) {
        prefix += 'l';
        suffix += Nul;
    } else {
        return {};
    }
    QList<QByteArray> out;
    for (qsizetype at = 0; at < text.size(); at += RconChunk)
        out += prefix + text.mid(at, RconChunk) + suffix;
    if (out.isEmpty())
        out += prefix + suffix;
    return out;
}

QByteArray rconStatusText(const SimServerState& state)
{
    QByteArray out = "map: " + state.map + '\n';
    if (state.engine == QLatin1String("Q3")) {
        out += "cl score ping name            address                                 rate \n"
               "-- ----- ---- --------------- --------------------------------------- ----- \n";
    } else {
        out += "num score ping name            address\n"
               "--- ----- ---- --------------- ---------------------\n";
    }
    int slot = 0;
    for (const SimPlayer& p : state.players) {
        const QByteArray address = "127.0.0.1:" + number(27000 + slot);
        out += number(slot++).rightJustified(state.engine == QLatin1String("Q3") ? 2 : 3) + ' '
               + number(p.score).rightJustified(5) + ' ' + number(p.ping).rightJustified(4) + ' ' + padded(p.name, 15)
               + ' ' + address;
        if (state.engine == QLatin1String("Q3"))
            out += ' ' + QByteArray(39 - address.size(), ' ') + "25000";
        out += '\n';
    }
    return out + '\n';
}

} // namespace trevisk::simanswers
