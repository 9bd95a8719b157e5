#pragma once

#include <QByteArray>

namespace trevisk {

// The text without Quake 3 colour codes: each caret goes with the byte after it.
QByteArray stripColours(const QByteArray& text);

// QuakeWorld's 8-bit names as the letters its clients draw: the high ("gold") half is the
// plain half in another colour, and the low codes hold brackets, digits and dots.
QByteArray quakeWorldPlain(const QByteArray& text);

} // namespace trevisk
