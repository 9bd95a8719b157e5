#pragma once

#include "icons/ServerIcon.h"

#include <QColor>
#include <QIcon>
#include <QImage>

#include <array>

namespace trevisk {

// A 0x00BBGGRR colour as Qt's.
QColor colourOf(quint32 bgr);

// The icon's 49 x 43 canvas, drawn `scale` times larger so that it stays sharp on dense screens:
// the count (or "NA") in bold at the top-left, on the back colour, in a black outline.
QImage paintServerIcon(const ServerIcon& icon, const IconColours& colours, int scale = 1);
// The three samples a colour choice is previewed with: 6 players, 4 with a friend, offline.
std::array<QImage, 3> paintIconPreviews(const IconColours& colours);
// The canvas brought to the square sizes trays ask for.
QIcon serverTrayIcon(const ServerIcon& icon, const IconColours& colours);

} // namespace trevisk
