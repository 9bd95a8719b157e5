#pragma once

#include <QByteArray>

namespace trevisk {

// The text without Quake 3 colour codes: each caret goes with the byte after it.
QByteArray stripColours(const QByteArray& text);

} // namespace trevisk
