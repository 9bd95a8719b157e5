#include "icons/ServerIcon.h"

#include "core/Catalogue.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "store/Stores.h"

#include <QCoreApplication>

namespace trevisk {

IconColours iconColoursFor(const Stores& stores, const AppSettings& settings, const QString& address)
{
    for (const ServerRecord& record : stores.servers.rows) {
        if (record.addressText() != address)
            continue;
        const auto colour = [](const std::optional<qint64>& value, quint32 fallback) {
            return value ? static_cast<quint32>(*value) : fallback;
        };
        return {colour(record.iconBack, settings.icons.back),
                colour(record.iconFriend, settings.icons.friendColour),
                colour(record.iconNorm, settings.icons.normal),
                colour(record.iconOff, settings.icons.off)};
    }
    return settings.icons;
}

void ServerIcon::loadServer(const QString& address, const QString& name, const QString& game, const QString& map)
{
    m_address = address;
    // The name and map come from the server: the caption and tip show them on one line.
    m_name = visibleText(name);
    m_game = game;
    m_map = visibleText(map);
    const GameInfo* info = findGame(game);
    m_shortName = info ? info->shortName : QString();
}

bool ServerIcon::update(int playerCount, int friendCount, const QString& map)
{
    m_offline = false;
    m_count = playerCount;
    m_friends = playerCount > 0 ? friendCount : 0;
    m_map = visibleText(map);
    const bool becameActive = m_previousCount == 0 && playerCount >= 1;
    m_previousCount = playerCount;
    return becameActive;
}

void ServerIcon::setTimeOut()
{
    m_offline = true;
    m_friends = 0;
}

void ServerIcon::setState(ServerState state, const QString& reason)
{
    m_state = state;
    m_stateReason = visibleText(reason);
}

QString ServerIcon::caption() const
{
    return m_name.isEmpty() ? m_address : m_name;
}

QString ServerIcon::tip() const
{
    return caption().left(25) + QStringLiteral("...\r\n") + (m_shortName.isEmpty() ? m_game : m_shortName)
           + QCoreApplication::translate("trevisk::ServerIcon", " (%n friends) Map: ", nullptr, m_friends) + m_map
           + (m_state == ServerState::Up || m_state == ServerState::Waiting
                  ? QString()
                  : QStringLiteral("\r\n") + shownStateLine(m_state, m_stateReason).left(60));
}

QString ServerIcon::text() const
{
    if (m_offline)
        return QStringLiteral("NA");
    return m_count < 10 ? QString::number(m_count) + QLatin1Char(' ') : QString::number(m_count);
}

int ServerIcon::pointSize() const
{
    return !m_offline && m_count < 10 ? 28 : 26;
}

quint32 ServerIcon::textColour(const IconColours& colours) const
{
    if (m_offline)
        return colours.off;
    return m_friends > 0 ? colours.friendColour : colours.normal;
}

} // namespace trevisk
