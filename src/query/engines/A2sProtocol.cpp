#include "query/engines/A2sProtocol.h"

#include "core/Routines.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace trevisk::a2s {

namespace {

constexpr char InfoKind = 'I';
constexpr char OldInfoKind = 'm';
constexpr char PlayersKind = 'D';
constexpr char RulesKind = 'E';
constexpr char ChallengeKind = 'A';
constexpr qsizetype HeaderSize = 5; // FF FF FF FF and the kind byte
constexpr int MaxParts = 64;        // 64 parts of 1400 bytes hold the largest datagram a server may send
constexpr std::size_t MaxSplits = 8;

// A bounds-checked cursor over a reply: every read past the end fails instead of reading on.
class Reader
{
public:
    explicit Reader(const QByteArray& data, qsizetype at = 0)
        : m_data(data)
        , m_pos(at)
    {}

    bool atEnd() const { return m_pos >= m_data.size(); }
    qsizetype pos() const { return m_pos; }

    std::optional<quint8> byte()
    {
        if (m_pos + 1 > m_data.size())
            return std::nullopt;
        return static_cast<quint8>(m_data.at(m_pos++));
    }
    std::optional<qint16> int16() { return fixed<qint16>(); }
    std::optional<qint32> int32() { return fixed<qint32>(); }
    std::optional<float> float32()
    {
        const auto bits = fixed<quint32>();
        if (!bits)
            return std::nullopt;
        float value = 0;
        std::memcpy(&value, &*bits, sizeof value);
        return value;
    }
    bool skip(qsizetype count)
    {
        if (m_pos + count > m_data.size())
            return false;
        m_pos += count;
        return true;
    }
    // Bytes up to a zero byte, which is consumed; nothing when the zero byte is missing.
    std::optional<QByteArray> string()
    {
        const qsizetype end = m_data.indexOf('\0', m_pos);
        if (end < 0)
            return std::nullopt;
        QByteArray text = m_data.mid(m_pos, end - m_pos);
        m_pos = end + 1;
        return text;
    }

private:
    template <typename T> std::optional<T> fixed()
    {
        if (m_pos + qsizetype(sizeof(T)) > m_data.size())
            return std::nullopt;
        const T value = qFromLittleEndian<T>(m_data.constData() + m_pos);
        m_pos += sizeof(T);
        return value;
    }

    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

AnswerError cutShort(const char* query, const char* field)
{
    return {QString::fromLatin1(query), reasonText(reason::ReplyEndsBefore, -1, QLatin1String(field)), MalformedRecord};
}

bool hasPrefix(const QByteArray& datagram, qsizetype at)
{
    return datagram.size() >= at + 4 && std::memcmp(datagram.constData() + at, "\xFF\xFF\xFF\xFF", 4) == 0;
}

AnswerUpdate parseOldInfo(const QByteArray& reply)
{
    AnswerUpdate update;
    Reader in(reply, HeaderSize);
    const auto fail = [&](const char* field) {
        update.errors.append(cutShort("A2S_INFO", field));
        return update;
    };
    if (!in.string())
        return fail("address");
    const auto name = in.string();
    if (!name)
        return fail("name");
    update.hostname = decodeText(*name);
    const auto map = in.string();
    if (!map)
        return fail("map");
    update.map = decodeText(*map);
    if (!in.string() || !in.string())
        return fail("game");
    const auto players = in.byte();
    const auto maximum = in.byte();
    if (!players || !maximum)
        return fail("player counts");
    update.numPlayers = QString::number(*players);
    update.maxPlayers = QString::number(*maximum);
    return update;
}

} // namespace

QByteArray request(Query query, const std::optional<QByteArray>& challenge)
{
    switch (query) {
    case Query::Info: {
        QByteArray out = PacketPrefix + QByteArrayLiteral("TSource Engine Query") + '\0';
        if (challenge)
            out += *challenge;
        return out;
    }
    case Query::Players:
        return PacketPrefix + 'U' + challenge.value_or(PacketPrefix);
    case Query::Rules:
        return PacketPrefix + 'V' + challenge.value_or(PacketPrefix);
    }
    return {};
}

std::optional<QByteArray> challengeOf(const QByteArray& datagram)
{
    if (datagram.size() < HeaderSize + 4 || !hasPrefix(datagram, 0) || datagram.at(4) != ChallengeKind)
        return std::nullopt;
    return datagram.mid(HeaderSize, 4);
}

std::optional<Query> replyKind(const QByteArray& datagram)
{
    if (datagram.size() < HeaderSize || !hasPrefix(datagram, 0))
        return std::nullopt;
    switch (datagram.at(4)) {
    case InfoKind:
    case OldInfoKind:
        return Query::Info;
    case PlayersKind:
        return Query::Players;
    case RulesKind:
        return Query::Rules;
    default:
        return std::nullopt;
    }
}

bool isSplitPart(const QByteArray& datagram)
{
    return datagram.size() >= 9 && std::memcmp(datagram.constData(), "\xFE\xFF\xFF\xFF", 4) == 0;
}

AnswerUpdate parseInfo(const QByteArray& reply)
{
    if (reply.size() > 4 && reply.at(4) == OldInfoKind)
        return parseOldInfo(reply);
    AnswerUpdate update;
    Reader in(reply, HeaderSize);
    const auto fail = [&](const char* field) {
        update.errors.append(cutShort("A2S_INFO", field));
        return update;
    };
    if (!in.byte())
        return fail("protocol");
    const auto name = in.string();
    if (!name)
        return fail("name");
    update.hostname = decodeText(*name);
    const auto map = in.string();
    if (!map)
        return fail("map");
    update.map = decodeText(*map);
    const auto folder = in.string();
    const auto game = in.string();
    const auto app = in.int16();
    if (!folder || !game || !app)
        return fail("game");
    const auto players = in.byte();
    const auto maximum = in.byte();
    if (!players || !maximum)
        return fail("player counts");
    update.numPlayers = QString::number(*players);
    update.maxPlayers = QString::number(*maximum);
    // The rest describes the server; what it says is kept as settings only when the rules do not come.
    return update;
}

PlayersResult parsePlayers(const QByteArray& reply, const FriendList& friends)
{
    Reader in(reply, HeaderSize);
    const auto count = in.byte();
    if (!count)
        return PlayersResult::failed(
            "A2S_PLAYER", reasonText(reason::ReplyEndsBefore, -1, QStringLiteral("player count")), MalformedRecord);
    PlayerTable players;
    players.reserveBytes(reply.size());
    // Some servers list fewer players than they count: read what is there.
    while (!in.atEnd() && players.size() < *count) {
        const auto index = in.byte();
        const auto name = in.string();
        const auto score = in.int32();
        const auto seconds = in.float32();
        if (!index || !name || !score || !seconds) {
            PlayersResult cut{players,
                              AnswerError{QStringLiteral("A2S_PLAYER"),
                                          reasonText(reason::PlayerRecordCut, -1, QString::number(players.size() + 1)),
                                          MalformedRecord},
                              true};
            return cut;
        }
        Player player;
        player.name = decodeText(*name);
        player.score = QString::number(*score);
        player.ping = QStringLiteral("N/A");
        player.time = connectedText(*seconds);
        player.isFriend = friends.isFriend(player.name);
        players.push_back(player);
    }
    // Fewer rows than counted: the list says nothing about who left.
    const bool incomplete = players.size() < *count;
    return {players, std::nullopt, incomplete};
}

AnswerUpdate parseRules(const QByteArray& reply)
{
    AnswerUpdate update;
    Reader in(reply, HeaderSize);
    const auto count = in.int16();
    SettingsTable settings;
    if (!count) {
        update.errors.append(cutShort("A2S_RULES", "rule count"));
        return update;
    }
    // Servers truncate the list or count more rules than they send: read what is there.
    while (!in.atEnd() && qsizetype(settings.size()) < quint16(*count)) {
        const auto name = in.string();
        const auto value = in.string();
        if (!name || !value)
            break;
        if (!trimSpaces(*name).isEmpty())
            settings.push_back({decodeText(*name), decodeText(*value)});
    }
    update.settings = std::move(settings);
    return update;
}

QString connectedText(float seconds)
{
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 1e9F)
        return {};
    const auto total = static_cast<qint64>(seconds);
    const qint64 hours = total / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(total / 60 % 60, hours ? 2 : 1, 10, QLatin1Char('0'))
                                       .arg(total % 60, 2, 10, QLatin1Char('0'));
    return hours ? QString::number(hours) + QLatin1Char(':') + minutesSeconds : minutesSeconds;
}

std::size_t SplitAssembler::heldParts() const
{
    std::size_t held = 0;
    for (const Split& split : m_splits)
        held += split.raw.size();
    return held;
}

SplitAssembler::Form SplitAssembler::formOfFirstPart(const QByteArray& datagram)
{
    const auto b8 = static_cast<quint8>(datagram.at(8));
    if ((b8 >> 4) == 0 && (b8 & 0x0F) >= 1 && hasPrefix(datagram, 9))
        return Form::GoldSrc;
    if (datagram.size() > 9 && datagram.at(9) == 0 && b8 >= 1) {
        if (hasPrefix(datagram, 12))
            return Form::Source;
        if (hasPrefix(datagram, 10))
            return Form::SourceNoSize;
    }
    return Form::Unknown;
}

SplitAssembler::Outcome SplitAssembler::add(const QByteArray& datagram)
{
    using State = Outcome::State;
    if (!isSplitPart(datagram))
        return {State::Malformed, {}, reasonText(reason::SplitNotAPart)};
    const qint32 id = qFromLittleEndian<qint32>(datagram.constData() + 4);
    // Source servers mark bzip2-compressed replies by the id's top bit; GoldSrc never compresses.
    if (id < 0 && m_form != Form::GoldSrc && datagram.size() > 9) {
        const auto total = static_cast<quint8>(datagram.at(8));
        const auto number = static_cast<quint8>(datagram.at(9));
        if (total >= 1 && number < total) {
            m_splits.erase(std::remove_if(m_splits.begin(), m_splits.end(), [&](const Split& s) { return s.id == id; }),
                           m_splits.end());
            return {State::Refused, {}, reasonText(reason::SplitCompressed)};
        }
    }
    auto split = std::find_if(m_splits.begin(), m_splits.end(), [&](const Split& s) { return s.id == id; });
    if (split == m_splits.end()) {
        // An old reply that never completed gives way to a new one.
        if (m_splits.size() >= MaxSplits)
            m_splits.erase(m_splits.begin());
        m_splits.push_back({id, {}});
        split = m_splits.end() - 1;
    }
    if (split->raw.size() >= std::size_t(MaxParts))
        return {State::Malformed, {}, reasonText(reason::SplitTooManyParts)};
    if (std::find(split->raw.begin(), split->raw.end(), datagram) == split->raw.end())
        split->raw.push_back(datagram);
    if (m_form == Form::Unknown)
        m_form = formOfFirstPart(datagram);
    if (m_form == Form::Unknown)
        return {};
    Outcome outcome = tryJoin(*split);
    if (outcome.state != State::Pending)
        m_splits.erase(split);
    return outcome;
}

SplitAssembler::Outcome SplitAssembler::tryJoin(Split& split)
{
    using State = Outcome::State;
    const auto malformed = [](const QString& why) { return Outcome{State::Malformed, {}, why}; };
    int total = 0;
    std::vector<QByteArray> payloads;
    std::vector<bool> present;
    for (const QByteArray& part : split.raw) {
        int partTotal = 0;
        int number = 0;
        qsizetype payloadAt = 0;
        if (m_form == Form::GoldSrc) {
            const auto b8 = static_cast<quint8>(part.at(8));
            partTotal = b8 & 0x0F;
            number = b8 >> 4;
            payloadAt = 9;
        } else {
            if (part.size() < 10)
                return malformed(reasonText(reason::SplitNoNumber));
            partTotal = static_cast<quint8>(part.at(8));
            number = static_cast<quint8>(part.at(9));
            payloadAt = m_form == Form::Source ? 12 : 10;
            if (part.size() < payloadAt)
                return malformed(reasonText(reason::SplitNoPayload));
        }
        if (partTotal < 1 || partTotal > MaxParts || number >= partTotal || (total && partTotal != total))
            return malformed(
                reasonText(reason::SplitPartMisfit, -1, QString::number(number + 1), QString::number(partTotal)));
        if (!total) {
            total = partTotal;
            payloads.resize(std::size_t(total));
            present.assign(std::size_t(total), false);
        }
        payloads[std::size_t(number)] = part.mid(payloadAt);
        present[std::size_t(number)] = true;
    }
    if (std::find(present.begin(), present.end(), false) != present.end())
        return {};
    QByteArray joined;
    for (const QByteArray& payload : payloads)
        joined += payload;
    if (!hasPrefix(joined, 0) || joined.size() < HeaderSize)
        return malformed(reasonText(reason::SplitNoHeader));
    return {State::Complete, joined, {}};
}

} // namespace trevisk::a2s
