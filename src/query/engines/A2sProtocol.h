#pragma once

#include "query/AnswerUpdate.h"
#include "query/engines/PlayersResult.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

namespace trevisk {

class FriendList;

// Today's Half-Life and Source servers: the A2S queries, their challenge and their split
// replies. Pure: the query object keeps the exchange's state and sends what these build.
namespace a2s {

enum class Query
{
    Info,
    Players,
    Rules,
};
inline constexpr int QueryCount = 3;

// The request for a query; without a challenge, INFO goes bare and PLAYER / RULES ask for one.
QByteArray request(Query query, const std::optional<QByteArray>& challenge);

// The four challenge bytes of an 'A' reply, or nothing for any other datagram.
std::optional<QByteArray> challengeOf(const QByteArray& datagram);
// Which query an unsplit reply answers ('I' or 'm', 'D', 'E'), or nothing.
std::optional<Query> replyKind(const QByteArray& datagram);
// True for one part of a split reply (FE FF FF FF).
bool isSplitPart(const QByteArray& datagram);

// Readers of whole replies (with their FF FF FF FF and kind byte). Each keeps what it could read
// before a failure and reports the failure.
AnswerUpdate parseInfo(const QByteArray& reply);
PlayersResult parsePlayers(const QByteArray& reply, const FriendList& friends);
AnswerUpdate parseRules(const QByteArray& reply);

// Seconds connected as the details window shows them: "h:mm:ss", or "m:ss" under an hour.
QString connectedText(float seconds);

// Joins the parts of split replies, in either the Source or the GoldSrc form, in any order.
class SplitAssembler
{
public:
    struct Outcome
    {
        enum class State
        {
            Pending,  // kept, waiting for the other parts
            Complete, // `reply` holds the joined reply
            Refused,  // bzip2-compressed: not read
            Malformed,
        };
        State state = State::Pending;
        QByteArray reply;
        QString error;
    };

    Outcome add(const QByteArray& datagram);
    void clear() { m_splits.clear(); }
    // Parts held for replies not yet complete.
    std::size_t heldParts() const;

private:
    enum class Form
    {
        Unknown,
        Source,       // id, total, number, size short
        SourceNoSize, // id, total, number (a few old engines)
        GoldSrc,      // id, number << 4 | total
    };
    struct Split
    {
        qint32 id = 0;
        std::vector<QByteArray> raw; // parts as they came, read once the form is known
    };
    static Form formOfFirstPart(const QByteArray& datagram);
    Outcome tryJoin(Split& split);

    Form m_form = Form::Unknown; // a server sends one form: learnt from the first part numbered 0
    std::vector<Split> m_splits;
};

} // namespace a2s
} // namespace trevisk
