#include "query/EngineProtocol.h"

#include "core/Catalogue.h"
#include "core/Routines.h"
#include "query/EngineExchange.h"
#include "query/engines/HalfLifeProtocol.h"
#include "query/engines/HaloProtocol.h"
#include "query/engines/NwnProtocol.h"
#include "query/engines/QuakeProtocol.h"
#include "query/engines/RavenShieldProtocol.h"
#include "query/engines/UnrealProtocol.h"

namespace trevisk {

std::unique_ptr<EngineExchange> EngineProtocol::newExchange() const
{
    return std::make_unique<AnswerExchange>(*this);
}

bool recognisesGameSpyAnswer(const QByteArray& answer, const QByteArray& request)
{
    // A zero byte, then the four request id bytes the query sent, then the values.
    return answer.size() > 5 && answer.at(0) == '\0' && answer.mid(1, 4) == request.mid(3, 4);
}

QStringList EngineProtocol::launchArguments(const QString&, const QString& address, const QStringList& params) const
{
    return params + QStringList{QStringLiteral("+connect"), address};
}

const EngineProtocol* protocolForEngine(const QString& engine)
{
    static const QuakeProtocol quake2(QuakeProtocol::Variant::Quake2);
    static const QuakeProtocol quake3(QuakeProtocol::Variant::Quake3);
    static const QuakeProtocol quakeWorld(QuakeProtocol::Variant::QuakeWorld);
    static const HalfLifeProtocol halfLife;
    static const UnrealProtocol unreal;
    static const HaloProtocol halo;
    static const NwnProtocol nwn;
    static const RavenShieldProtocol ravenShield;
    static const std::pair<QLatin1String, const EngineProtocol*> engines[] = {
        {QLatin1String("Q2"), &quake2},
        {QLatin1String("Q3"), &quake3},
        {QLatin1String("QW"), &quakeWorld},
        {QLatin1String("HL"), &halfLife},
        {QLatin1String("UT"), &unreal},
        {QLatin1String("UT2003"), &unreal},
        {QLatin1String("HALO"), &halo},
        {QLatin1String("NWN"), &nwn},
        {QLatin1String("RVS"), &ravenShield},
    };
    for (const auto& [code, protocol] : engines) {
        if (engine == code)
            return protocol;
    }
    return nullptr;
}

const EngineProtocol* protocolForGame(const QString& game)
{
    return protocolForEngine(getEngine(game));
}

bool hasRemoteConsole(const QString& game)
{
    const EngineProtocol* protocol = protocolForGame(game);
    return protocol && protocol->hasRemoteConsole();
}

} // namespace trevisk
