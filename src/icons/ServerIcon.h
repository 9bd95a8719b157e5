#pragma once

#include "core/Settings.h"
#include "query/ServerState.h"

#include <QString>

#include <optional>

namespace trevisk {

class Stores;

// The server's own colours, or the defaults of the settings when it is not listed.
IconColours iconColoursFor(const Stores& stores, const AppSettings& settings, const QString& address);

// What a server's tray icon shows and the rules that change it: the player count, "NA" while
// offline, the friend colour, the tip and the activity sound.
class ServerIcon
{
public:
    void loadServer(const QString& address, const QString& name, const QString& game, const QString& map);
    // New results; true when the server has just become active (no players before, some now).
    // The first count the icon gets is no change: the server was not seen empty.
    bool update(int playerCount, int friendCount, const QString& map);
    void setTimeOut();
    // The tip names a state other than up, with a bad answer's reason.
    void setState(ServerState state, const QString& reason);

    // The name, or the address while the name is unknown.
    QString caption() const;
    QString tip() const;
    QString text() const;
    int pointSize() const;
    quint32 textColour(const IconColours& colours) const;

    const QString& address() const { return m_address; }
    const QString& game() const { return m_game; }
    const QString& map() const { return m_map; }
    int playerCount() const { return m_count; }
    int friendCount() const { return m_friends; }
    bool offline() const { return m_offline; }

private:
    QString m_address;
    QString m_name;
    QString m_game;
    QString m_shortName;
    QString m_map;
    int m_count = 0;
    int m_friends = 0;
    bool m_offline = false;
    ServerState m_state = ServerState::Waiting;
    QString m_stateReason;
    std::optional<int> m_previousCount;
};

} // namespace trevisk
