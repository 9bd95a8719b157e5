#include "sim/SimResponder.h"

#include "sim/SimAnswers.h"
#include "sim/SimRequest.h"

#include <QtEndian>

#include <algorithm>
#include <ctime>

namespace trevisk {

namespace {

// Churn that was not stepped for a long while catches up at most this many steps at once.
constexpr int MaxCatchUpSteps = 64;

QByteArray firstWord(const QByteArray& text)
{
    const int space = text.indexOf(' ');
    return space < 0 ? text : text.left(space);
}

QByteArray afterFirstWord(const QByteArray& text)
{
    const int space = text.indexOf(' ');
    return space < 0 ? QByteArray() : text.mid(space + 1).trimmed();
}

// The local time as ioquake3 writes g_timestamp; plain C, as thousands of servers may answer at once.
QByteArray localTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    const size_t size = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return QByteArray(text, static_cast<qsizetype>(size));
}

} // namespace

SimResponder::SimResponder(SimServerState state, quint32 seed)
    : m_state(std::move(state))
    , m_random(seed == 0 ? 1 : seed)
    , m_secret(seed * 2654435761U + 12345U)
    , m_nextName(static_cast<int>(m_state.players.size()))
{}

QList<QByteArray> SimResponder::respond(const QByteArray& request, quint32 senderIPv4)
{
    if (!m_answering)
        return {};
    const SimRequest r = SimRequest::read(m_state.engine, request);
    QList<QByteArray> out;
    switch (r.kind) {
    case SimRequest::Kind::None:
        return {};
    case SimRequest::Kind::Status:
        if (m_state.engine == QLatin1String("HL") && m_a2s.only)
            return {};
        out = status(r);
        break;
    case SimRequest::Kind::Players:
        if (m_a2s.only)
            return {};
        out += simanswers::halfLifePlayers(m_state);
        break;
    case SimRequest::Kind::A2sInfo:
    case SimRequest::Kind::A2sPlayers:
    case SimRequest::Kind::A2sRules:
        out = a2s(r, senderIPv4);
        break;
    case SimRequest::Kind::Info:
        out += simanswers::quake3Info(m_state, r.challenge);
        break;
    case SimRequest::Kind::RconChallenge:
        out += QByteArray(4, '\xFF') + "challenge rcon " + challengeFor(senderIPv4) + '\n' + '\0';
        break;
    case SimRequest::Kind::Rcon:
        out = rcon(r, senderIPv4);
        break;
    }
    out.removeIf([this](const QByteArray&) { return loseNext(); });
    return out;
}

QList<QByteArray> SimResponder::status(const SimRequest& request)
{
    const QString& engine = m_state.engine;
    if (engine == QLatin1String("Q3")) {
        return {simanswers::quake3Status(
            m_state, m_timestamp.isEmpty() ? localTimestamp() : m_timestamp, request.challenge)};
    }
    if (engine == QLatin1String("Q2"))
        return {simanswers::quake2Status(m_state)};
    if (engine == QLatin1String("QW"))
        return {simanswers::quakeWorldStatus(m_state)};
    if (engine == QLatin1String("HL"))
        return {simanswers::halfLifeInfo(m_state)};
    if (engine == QLatin1String("UT") || engine == QLatin1String("UT2003"))
        return arrangeParts(simanswers::unrealParts(m_state, ++m_queryId));
    if (engine == QLatin1String("HALO"))
        return {simanswers::haloStatus(m_state, request.requestId)};
    if (engine == QLatin1String("NWN"))
        return {simanswers::neverwinterStatus(m_state, request.requestId, request.keys)};
    if (engine == QLatin1String("RVS"))
        return {simanswers::ravenShieldReport(m_state)};
    return {};
}

QList<QByteArray> SimResponder::arrangeParts(QList<QByteArray> parts) const
{
    QList<QByteArray> out;
    QList<bool> used(parts.size(), false);
    for (const int part : m_partOrder) {
        if (part >= 1 && part <= parts.size() && !used[part - 1]) {
            used[part - 1] = true;
            out += parts[part - 1];
        }
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!used[i])
            out += parts[i];
    }
    if (m_repeatedPart >= 1 && m_repeatedPart <= parts.size()) {
        const qsizetype at = out.indexOf(parts[m_repeatedPart - 1]);
        out.insert(at + 1, parts[m_repeatedPart - 1]);
    }
    return out;
}

QList<QByteArray> SimResponder::a2s(const SimRequest& request, quint32 senderIPv4)
{
    const QByteArray challenge = a2sChallengeFor(senderIPv4);
    const bool needsChallenge = request.kind != SimRequest::Kind::A2sInfo || m_a2s.infoChallenge;
    if (needsChallenge && request.challenge != challenge)
        return {QByteArray(4, '\xFF') + 'A' + challenge};
    QByteArray reply;
    if (request.kind == SimRequest::Kind::A2sInfo)
        reply = simanswers::a2sInfo(m_state);
    else if (request.kind == SimRequest::Kind::A2sPlayers)
        reply = simanswers::a2sPlayers(m_state);
    else
        reply = simanswers::a2sRules(m_state);
    if (m_a2s.partSize <= 0 || reply.size() <= m_a2s.partSize)
        return {reply};
    QList<QByteArray> parts = simanswers::a2sSplit(reply, ++m_splitId, m_a2s.partSize, m_a2s.form);
    if (m_a2s.reversed)
        std::reverse(parts.begin(), parts.end());
    return parts;
}

QByteArray SimResponder::a2sChallengeFor(quint32 senderIPv4) const
{
    const quint32 mixed = (senderIPv4 ^ m_secret ^ 0x5A5A5A5AU) * 2654435761U;
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(mixed | 1U, bytes.data());
    // Never FF FF FF FF, which asks for a challenge.
    return bytes;
}

QList<QByteArray> SimResponder::rcon(const SimRequest& request, quint32 senderIPv4)
{
    const QString& engine = m_state.engine;
    QByteArray text;
    if (engine == QLatin1String("HL") && request.challenge != challengeFor(senderIPv4))
        text = "Bad challenge.\n";
    else if (m_state.rconPassword.isEmpty() && engine == QLatin1String("Q3"))
        text = "No rconpassword set on the server.\n";
    else if (m_state.rconPassword.isEmpty() || request.password != m_state.rconPassword)
        text = engine == QLatin1String("Q3") ? "Bad rconpassword.\n" : "Bad rcon_password.\n";
    else
        text = runCommand(request.command);
    return simanswers::rconReply(engine, text);
}

QByteArray SimResponder::runCommand(const QByteArray& command)
{
    const QByteArray name = firstWord(command);
    const QByteArray argument = afterFirstWord(command);
    if (name.isEmpty() || name == "say" || name == "set" || name == "seta")
        return {};
    if (name == "status")
        return simanswers::rconStatusText(m_state);
    if (name == "echo")
        return argument + '\n';
    if (name == "map" && !argument.isEmpty()) {
        m_state.map = argument;
        return {};
    }
    if ((name == "sv_hostname" || name == "hostname") && !argument.isEmpty()) {
        m_state.hostname = argument;
        return {};
    }
    if (name == "kick") {
        auto& players = m_state.players;
        const auto it =
            std::find_if(players.begin(), players.end(), [&](const SimPlayer& p) { return p.name == argument; });
        if (it == players.end())
            return "Player " + argument + " is not on the server\n";
        players.erase(it);
        return {};
    }
    if (name == "cvarlist") {
        // Long enough to need several datagrams.
        QByteArray out;
        constexpr int Count = 300;
        for (int i = 0; i < Count; ++i)
            out += "S     A    sim_cvar_" + QByteArray::number(i) + " \"" + QByteArray::number(i * 7) + "\"\n";
        return out + QByteArray::number(Count) + " total cvars\n";
    }
    if (m_state.engine == QLatin1String("Q3"))
        return "unknown command: " + name + '\n';
    return "Unknown command \"" + name + "\"\n";
}

bool SimResponder::loseNext()
{
    ++m_sent;
    bool lose = m_dropEvery > 0 && m_sent % static_cast<quint64>(m_dropEvery) == 0;
    if (m_dropProbability > 0.0 && std::bernoulli_distribution(m_dropProbability)(m_random))
        lose = true;
    if (lose)
        ++m_dropped;
    return lose;
}

QByteArray SimResponder::challengeFor(quint32 senderIPv4) const
{
    // Stateless, per address as a Half-Life server hands it out: nothing to remember per client.
    const quint32 mixed = (senderIPv4 ^ m_secret) * 2246822519U;
    return QByteArray::number(100000000U + (mixed ^ (mixed >> 13)) % 900000000U);
}

void SimResponder::churn(std::chrono::milliseconds elapsed)
{
    auto& players = m_state.players;
    const bool roomLeft = static_cast<int>(players.size()) < m_state.maxPlayers;
    const bool join = roomLeft && (players.empty() || m_random() % 2 == 0);
    if (join) {
        SimPlayer player;
        // The next pool name not already on the server.
        do {
            player.name = SimServerState::playerName(m_state.engine, m_nextName++);
        } while (
            std::any_of(players.begin(), players.end(), [&](const SimPlayer& p) { return p.name == player.name; }));
        player.ping = 20 + static_cast<int>(m_random() % 130);
        players.push_back(player);
    } else if (!players.empty()) {
        players.erase(players.begin() + static_cast<std::ptrdiff_t>(m_random() % players.size()));
    }
    const auto seconds = static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    for (SimPlayer& p : players) {
        p.score += static_cast<int>(m_random() % 3);
        p.seconds += seconds;
    }
}

void SimResponder::advanceTo(std::chrono::milliseconds now)
{
    if (m_churnInterval.count() <= 0)
        return;
    if (m_lastChurn.count() < 0) {
        m_lastChurn = now;
        return;
    }
    const auto steps = (now - m_lastChurn) / m_churnInterval;
    for (int i = 0; i < std::min<qint64>(steps, MaxCatchUpSteps); ++i)
        churn(m_churnInterval);
    m_lastChurn = steps > MaxCatchUpSteps ? now : m_lastChurn + steps * m_churnInterval;
}

} // namespace trevisk
