#include "join/GameLauncher.h"

#include "core/Routines.h"
#include "query/EngineProtocol.h"

#include <QProcess>

namespace trevisk {

bool GameLauncher::start(const QString& program, const QStringList& arguments, const QString& folder)
{
    return QProcess::startDetached(program, arguments, folder);
}

std::optional<LaunchCommand>
launchCommand(const std::vector<GamePath>& locations, const QString& game, const QString& address)
{
    const auto location =
        std::find_if(locations.begin(), locations.end(), [&](const GamePath& path) { return path.game == game; });
    if (location == locations.end() || location->path.value_or(QString()).isEmpty())
        return std::nullopt;
    LaunchCommand command;
    command.program = *location->path;
    // The user's parameters are split as a shell would, so a quoted mod name stays one argument.
    const QStringList params = QProcess::splitCommand(location->params.value_or(QString()));
    const EngineProtocol* protocol = protocolForGame(game);
    command.arguments = protocol ? protocol->launchArguments(game, address, params)
                                 : params + QStringList{QStringLiteral("+connect"), address};
    command.folder = getFolder(command.program);
    if (command.folder.size() > 1)
        command.folder.chop(1);
    return command;
}

} // namespace trevisk
