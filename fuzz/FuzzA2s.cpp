// Feeds today's Half-Life readers arbitrary datagrams: the split reassembly and the INFO,
// PLAYER and RULES readers must reject or read them, never read past their end.
#include "players/FriendList.h"
#include "query/engines/A2sProtocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace trevisk;

namespace {

void readReply(const QByteArray& reply, const FriendList& friends)
{
    a2s::challengeOf(reply);
    switch (a2s::replyKind(reply).value_or(a2s::Query::Info)) {
    case a2s::Query::Info:
        a2s::parseInfo(reply);
        break;
    case a2s::Query::Players:
        a2s::parsePlayers(reply, friends);
        break;
    case a2s::Query::Rules:
        a2s::parseRules(reply);
        break;
    }
}

} // namespace

// The input is a run of datagrams, each after a length byte, as one server sends them in a row.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FriendList friends(QStringList{QStringLiteral("a"), QStringLiteral("^1")});
    a2s::SplitAssembler splits;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        // A copy, not raw data: a datagram always ends in a zero byte past its size, as QByteArray keeps it.
        const QByteArray datagram(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(length));
        at += length + 1;
        if (!a2s::isSplitPart(datagram)) {
            readReply(datagram, friends);
            continue;
        }
        const a2s::SplitAssembler::Outcome outcome = splits.add(datagram);
        if (outcome.state == a2s::SplitAssembler::Outcome::State::Complete)
            readReply(outcome.reply, friends);
    }
    return 0;
}
