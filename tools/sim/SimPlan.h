#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trevisk {

// Where one simulated server listens, and the address a monitor lists it under.
struct SimServerSpec
{
    QString game;
    QHostAddress host;
    quint16 gamePort = 0;  // 0 with queryPort 0: the query port is ephemeral and the game port follows from it
    quint16 queryPort = 0; // the port that is bound
    int number = 1;        // tells servers of one game apart in their names

    QString address() const;
};

// The servers of one run, laid out so that no two share an address and port.
struct SimPlan
{
    std::vector<SimServerSpec> servers;
    QString error; // empty when the plan can be served
    QStringList warnings;

    // One game: `count` servers on consecutive game ports from `basePort`, each on its game's query
    // port; a game with a fixed query port gets consecutive loopback addresses from 127.0.0.2
    // (on an IPv6 `host` there is only the one: such a game then takes one server).
    // Several games: `count` of each, game ports 20 apart, so that a query port lying above its game
    // port never meets another server's. `basePort` 0: every server on an ephemeral query port.
    static SimPlan make(const QStringList& gameList,
                        int basePort,
                        int count,
                        const QHostAddress& host = QHostAddress(QHostAddress::LocalHost));

    // The catalogue game that stands for an engine ("Q3" -> "Quake 3"); empty for an unknown code.
    static QString representativeGame(const QString& engine);
    // Every engine, in catalogue order.
    static QStringList engines();
    // How far above its game port a server of this game answers queries; none for a fixed query port.
    static std::optional<int> queryPortOffset(const QString& game);
};

} // namespace trevisk
