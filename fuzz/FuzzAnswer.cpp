// Feeds one engine's parser arbitrary answers: it must reject or read them, never read past their end.
#include "core/Catalogue.h"
#include "players/FriendList.h"
#include "query/EngineExchange.h"
#include "query/EngineProtocol.h"

#include <cstddef>
#include <cstdint>

using namespace trevisk;

namespace {

// One game of the engine, and every game the parsers read their own way (Soldier of Fortune 2's
// player lines): parsing as each game would only repeat the same work.
QStringList gamesToParseAs()
{
    QStringList names;
    for (const GameInfo& game : games()) {
        const bool own = game.game == QLatin1String("Soldier of Fortune 2");
        if (game.engine == QLatin1String(TREVISK_FUZZ_ENGINE) && (names.isEmpty() || own))
            names << game.game;
    }
    return names;
}

class NoSocket : public EngineExchange::Sender
{
public:
    void send(const QByteArray&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QStringList names = gamesToParseAs();
    static const EngineProtocol* protocol = protocolForEngine(QLatin1String(TREVISK_FUZZ_ENGINE));
    static const FriendList friends(QStringList{QStringLiteral("a"), QStringLiteral("^1")});
    // A copy, not raw data: a datagram always ends in a zero byte past its size, as QByteArray keeps it.
    const QByteArray answer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The engine's exchange takes it as an answer to a first and a second try (Half-Life's other
    // dialect), as the query object would.
    NoSocket none;
    const QString max;
    const EngineExchange::Context context{names.constFirst(), friends, max};
    for (int retry : {0, 1}) {
        const std::unique_ptr<EngineExchange> exchange = protocol->newExchange();
        exchange->startTry(retry, none);
        exchange->receive(answer, context, none);
        exchange->finish(context);
    }
    for (const QString& game : names)
        protocol->parse(answer, game, friends);
    return 0;
}
