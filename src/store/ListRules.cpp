#include "store/ListRules.h"

#include <algorithm>
#include <limits>
#include <set>

namespace trevisk {

namespace {

template <typename Record>
QString commit(Stores& stores,
               RecordTable<Record> Stores::*table,
               QString (Stores::*save)(RecordWriter*) const,
               const RecordTable<Record>& working)
{
    RecordTable<Record> previous = std::move(stores.*table);
    stores.*table = working;
    QString failure = (stores.*save)(nullptr);
    if (!failure.isEmpty())
        stores.*table = std::move(previous);
    return failure;
}

} // namespace

qint32 nextFavouriteMapId(const std::vector<FavouriteMap>& maps)
{
    qint32 largest = 0;
    for (const FavouriteMap& map : maps)
        largest = std::max(largest, map.id.value_or(0));
    if (largest < std::numeric_limits<qint32>::max())
        return largest + 1;
    std::set<qint32> used;
    for (const FavouriteMap& map : maps) {
        if (map.id)
            used.insert(*map.id);
    }
    qint32 id = 1;
    while (used.count(id))
        ++id;
    return id;
}

bool hasFavouriteMap(const std::vector<FavouriteMap>& maps,
                     const QString& game,
                     const QString& map,
                     std::optional<size_t> except)
{
    for (size_t i = 0; i < maps.size(); ++i) {
        if (i != except && maps[i].game == game && maps[i].map == map)
            return true;
    }
    return false;
}

const GamePath* findGamePath(const std::vector<GamePath>& paths, const QString& game)
{
    const auto found = std::find_if(paths.begin(), paths.end(), [&](const GamePath& row) { return row.game == game; });
    return found == paths.end() ? nullptr : &*found;
}

void setGamePath(std::vector<GamePath>& paths, const QString& game, const QString& path, const QString& params)
{
    const QString trimmedPath = path.trimmed();
    const QString trimmedParams = params.trimmed();
    auto found = std::find_if(paths.begin(), paths.end(), [&](const GamePath& row) { return row.game == game; });
    if (found == paths.end()) {
        // Visiting a game without typing anything should not leave an empty row in the file.
        if (trimmedPath.isEmpty() && trimmedParams.isEmpty())
            return;
        paths.emplace_back();
        found = paths.end() - 1;
    }
    found->game = game;
    found->path = trimmedPath;
    found->params = trimmedParams;
}

QString commitFriends(Stores& stores, const RecordTable<FriendRecord>& working)
{
    return commit(stores, &Stores::friends, &Stores::saveFriends, working);
}

QString commitFavMaps(Stores& stores, const RecordTable<FavouriteMap>& working)
{
    return commit(stores, &Stores::favMaps, &Stores::saveFavMaps, working);
}

QString commitGamePaths(Stores& stores, const RecordTable<GamePath>& working)
{
    return commit(stores, &Stores::gamePaths, &Stores::saveGamePaths, working);
}

} // namespace trevisk
