#include "query/engines/QuakeProtocol.h"

#include "core/Catalogue.h"
#include "core/Routines.h"
#include "players/ColourCodes.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"
#include "query/engines/QuakeExchange.h"

#include <iterator>

namespace trevisk {

namespace {

// Where the player lines begin: the line feed that ends the information line, or -1. The line
// starts at the first backslash; a backslash in a player's name does not move it.
qsizetype playerPartStart(const QByteArray& answer)
{
    const qsizetype firstBackslash = answer.indexOf('\\');
    if (firstBackslash < 0)
        return -1;
    return answer.indexOf('\n', firstBackslash);
}

// The answer up to its information line's line feed: the settings and values are read there only.
QByteArray informationPart(const QByteArray& answer)
{
    const qsizetype end = playerPartStart(answer);
    return end < 0 ? answer : QByteArray::fromRawData(answer.constData(), end + 1);
}

// The first space of the line that begins after pos, or -1 when that line has none.
qsizetype firstSpaceOnLine(const QByteArray& answer, qsizetype pos)
{
    const qsizetype space = answer.indexOf(' ', pos + 1);
    const qsizetype lineEnd = answer.indexOf('\n', pos + 1);
    if (space < 0 || (lineEnd >= 0 && space > lineEnd))
        return -1;
    return space;
}

// The bytes strictly between two positions, from < to.
QByteArray between(const QByteArray& answer, qsizetype from, qsizetype to)
{
    return answer.mid(from + 1, to - from - 1);
}

} // namespace

QList<QByteArray> QuakeProtocol::requests() const
{
    if (m_variant == Variant::Quake3)
        return {PacketPrefix + QByteArrayLiteral("getstatus\n")};
    return {PacketPrefix + QByteArrayLiteral("status\n")};
}

std::unique_ptr<EngineExchange> QuakeProtocol::newExchange() const
{
    if (m_variant == Variant::Quake3)
        return std::make_unique<QuakeExchange>(*this);
    return EngineProtocol::newExchange();
}

bool QuakeProtocol::recognises(const QByteArray& answer) const
{
    return answer.startsWith(PacketPrefix) && answer.indexOf('\\', PacketPrefix.size()) >= 0;
}

QList<QByteArray> QuakeProtocol::requestsWith(const QByteArray& challenge) const
{
    if (m_variant == Variant::Quake3)
        return {PacketPrefix + QByteArrayLiteral("getstatus ") + challenge + '\n'};
    return requests();
}

std::optional<QByteArray> QuakeProtocol::echoedChallenge(const QByteArray& answer) const
{
    if (m_variant != Variant::Quake3)
        return std::nullopt;
    // Keys and values alternate between the backslashes of the information line; read in place, as
    // every answer passes here.
    const QByteArray information = informationPart(answer);
    const qsizetype lineEnd = information.size() - (information.endsWith('\n') ? 1 : 0);
    const auto fieldEnd = [&](qsizetype from) {
        const qsizetype next = information.indexOf('\\', from);
        return next < 0 || next > lineEnd ? lineEnd : next;
    };
    qsizetype key = information.indexOf('\\');
    while (key >= 0 && key < lineEnd) {
        const qsizetype value = fieldEnd(key + 1);
        if (value >= lineEnd)
            break;
        const qsizetype end = fieldEnd(value + 1);
        if (QByteArrayView(information.constData() + key + 1, value - key - 1) == "challenge")
            return information.mid(value + 1, end - value - 1);
        key = end;
    }
    return std::nullopt;
}

AnswerUpdate QuakeProtocol::parse(const QByteArray& answer, const QString& game, const FriendList& friends) const
{
    AnswerUpdate update;
    const QByteArray information = informationPart(answer);
    // The echo of the request's challenge is no setting of the server.
    update.settings = saveData(information, m_variant == Variant::Quake3 ? "challenge" : QByteArrayView());
    QByteArray hostname = getKeyValue(information, "hostname");
    if (m_variant == Variant::QuakeWorld)
        hostname = quakeWorldPlain(hostname);
    hostname = stripControl(hostname);
    if (getEngine(game) == QLatin1String("Q3") && hostname.contains('^')) {
        update.colouredHostname = decodeText(hostname);
        hostname = stripColours(hostname);
    }
    update.hostname = decodeText(hostname);
    update.maxPlayers = sharedShortText(getKeyValue(information, "maxclients"));
    if (m_variant == Variant::QuakeWorld) {
        update.map = decodeText(getKeyValue(information, "map"));
        takePlayers(update, getPlayers(answer, friends));
    } else {
        takePlayers(update, {getQ3Players(answer, game, friends), std::nullopt});
        update.map = sharedShortText(getKeyValue(information, "mapname"));
    }
    return update;
}

PlayerTable getQ3Players(const QByteArray& answer, const QString& game, const FriendList& friends)
{
    PlayerTable players;
    const bool threeNumbers = game == QLatin1String("Soldier of Fortune 2");
    const bool colourCodes = threeNumbers || getEngine(game) == QLatin1String("Q3");
    qsizetype pos = playerPartStart(answer);
    if (pos >= 0)
        players.reserveBytes(answer.size() - pos);
    while (pos >= 0) {
        const qsizetype s1 = firstSpaceOnLine(answer, pos);
        if (s1 < 0)
            break;
        // Soldier of Fortune 2 writes a third number, read and not kept, between the ping and the name.
        const qsizetype pingEnd = answer.indexOf(threeNumbers ? ' ' : '"', s1 + 1);
        if (pingEnd < 0)
            break;
        const qsizetype q1 = threeNumbers ? answer.indexOf('"', pingEnd + 1) : pingEnd;
        if (q1 < 0)
            break;
        const qsizetype q2 = answer.indexOf('"', q1 + 1);
        if (q2 < 0)
            break;
        const QByteArray rawName = between(answer, q1, q2);
        // Decoded only where there are friends to look for.
        const bool isFriend = !friends.names().isEmpty() && friends.isFriend(decodeText(rawName));
        players.appendBytes(colourCodes ? stripColours(rawName) : stripControl(rawName),
                            trimSpaces(between(answer, pos, s1)),
                            trimSpaces(between(answer, s1, pingEnd)),
                            isFriend,
                            colourCodes && rawName.contains('^') ? stripControl(rawName) : QByteArray());
        pos = answer.indexOf('\n', threeNumbers ? q1 + 1 : q2 + 1);
    }
    return players;
}

PlayersResult getPlayers(const QByteArray& answer, const FriendList& friends)
{
    PlayerTable players;
    qsizetype pos = playerPartStart(answer);
    if (pos >= 0)
        players.reserveBytes(answer.size() - pos);
    while (pos >= 0) {
        // userid, frags, minutes and ping stand before the quoted name.
        constexpr char Marks[] = {' ', ' ', ' ', ' ', '"', '"'};
        qsizetype at[std::size(Marks)] = {firstSpaceOnLine(answer, pos)};
        if (at[0] < 0)
            break;
        for (size_t i = 1; i < std::size(Marks); ++i)
            at[i] = at[i - 1] < 0 ? -1 : answer.indexOf(Marks[i], at[i - 1] + 1);
        const qsizetype q1 = at[4];
        const qsizetype q2 = at[5];
        if (q2 < 0) {
            return PlayersResult::failed(
                "GetPlayers()",
                reasonText(reason::PlayerLineIncomplete, -1, QString::number(players.size() + 1)),
                MalformedRecord);
        }
        // Gold letters are letters: shown and matched as the plain ones.
        const QByteArray rawName = quakeWorldPlain(between(answer, q1, q2));
        const bool isFriend = !friends.names().isEmpty() && friends.isFriend(decodeText(rawName));
        players.appendBytes(
            rawName, trimSpaces(between(answer, at[0], at[1])), trimSpaces(between(answer, at[2], at[3])), isFriend);
        pos = answer.indexOf('\n', q1 + 1);
    }
    return {players, std::nullopt};
}

} // namespace trevisk
