#pragma once

#include <QByteArray>

namespace trevisk {

// One player on a simulated server. The name is raw bytes, as a server sends it (caret colour
// codes, QuakeWorld's high-bit characters).
struct SimPlayer
{
    QByteArray name;
    int score = 0;
    int ping = 0;
    int seconds = 0; // time on the server
    // QuakeWorld's player line also carries the skin and the two colours.
    QByteArray skin = "base";
    int topColour = 4;
    int bottomColour = 12;

    bool operator==(const SimPlayer&) const = default;
};

} // namespace trevisk
