#pragma once

#include <QString>

namespace trevisk {

// One row of a server's player list, in answer order; values are texts as the server sent them.
struct Player
{
    QString name;
    QString score;
    QString ping;
    bool isFriend = false;
    QString coloured; // the name with its colour codes, empty when it has none
    QString time;     // time connected ("m:ss"), where the engine tells it

    bool operator==(const Player&) const = default;
};

} // namespace trevisk
