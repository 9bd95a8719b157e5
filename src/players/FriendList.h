#pragma once

#include "players/PlayerTable.h"

#include <QStringList>

namespace trevisk {

// The user's friends. A player is a friend when the player's name contains a friend's name,
// whatever the letter case; every character of a friend's name is plain (no wildcards), and
// empty entries are ignored.
class FriendList
{
public:
    FriendList() = default;
    explicit FriendList(QStringList names);

    bool isFriend(const QString& playerName) const;
    // Distinct player names on the table that contain a friend's name.
    int countFriends(const PlayerTable& players) const;
    int countFriends(const QStringList& playerNames) const;

    const QStringList& names() const { return m_names; }

private:
    QStringList m_names;
    // The non-empty names in upper case, as they are compared.
    QStringList m_upperNames;
};

} // namespace trevisk
