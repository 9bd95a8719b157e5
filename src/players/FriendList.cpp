#include "players/FriendList.h"

#include <QSet>

#include <algorithm>

namespace trevisk {

FriendList::FriendList(QStringList names)
    : m_names(std::move(names))
{
    for (const QString& name : std::as_const(m_names)) {
        if (!name.isEmpty())
            m_upperNames.append(name.toUpper());
    }
}

bool FriendList::isFriend(const QString& playerName) const
{
    if (m_upperNames.isEmpty())
        return false;
    const QString upper = playerName.toUpper();
    return std::any_of(
        m_upperNames.cbegin(), m_upperNames.cend(), [&](const QString& name) { return upper.contains(name); });
}

int FriendList::countFriends(const PlayerTable& players) const
{
    return m_upperNames.isEmpty() ? 0 : countFriends(players.names());
}

int FriendList::countFriends(const QStringList& playerNames) const
{
    QSet<QString> found;
    for (const QString& name : playerNames) {
        if (!found.contains(name) && isFriend(name))
            found.insert(name);
    }
    return int(found.size());
}

} // namespace trevisk
