#pragma once

#include "store/Records.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace trevisk {

// Starts a game detached; tests record the call instead.
class GameLauncher
{
public:
    virtual ~GameLauncher() = default;
    virtual bool start(const QString& program, const QStringList& arguments, const QString& folder);
};

// What joining a server starts: the game's executable, in its own folder, with the engine's
// command line around the user's parameters.
struct LaunchCommand
{
    QString program;
    QStringList arguments;
    QString folder;

    bool operator==(const LaunchCommand&) const = default;
};

// The command for `game`, or nothing when its location is not configured.
std::optional<LaunchCommand>
launchCommand(const std::vector<GamePath>& locations, const QString& game, const QString& address);

} // namespace trevisk
