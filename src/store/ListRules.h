#pragma once

#include "store/Records.h"
#include "store/Stores.h"

#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

// The rules the list editors share with nothing else: identifiers, duplicates, and how a
// working copy becomes a store.

// One more than the largest ID present (1 for an empty list), so a deletion never frees an ID
// that a later map would take; the smallest unused positive ID once the largest is at the limit.
qint32 nextFavouriteMapId(const std::vector<FavouriteMap>& maps);

// True when a row other than `except` holds exactly this game and map.
bool hasFavouriteMap(const std::vector<FavouriteMap>& maps,
                     const QString& game,
                     const QString& map,
                     std::optional<size_t> except = std::nullopt);

// The first row of `game`, or nullptr.
const GamePath* findGamePath(const std::vector<GamePath>& paths, const QString& game);
// Sets the path and parameters of `game` (blanks around them removed) in its first row, adding a
// row when it has none; a game without a row and with both texts blank gets none.
void setGamePath(std::vector<GamePath>& paths, const QString& game, const QString& path, const QString& params);

// Makes `working` the store's table and writes it; when the write fails, the store keeps its
// previous table. Returns what failed, or an empty text.
QString commitFriends(Stores& stores, const RecordTable<FriendRecord>& working);
QString commitFavMaps(Stores& stores, const RecordTable<FavouriteMap>& working);
QString commitGamePaths(Stores& stores, const RecordTable<GamePath>& working);

} // namespace trevisk
