#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace trevisk {

// The text without Quake 3 colour codes: each caret goes with the byte after it.
QByteArray stripColours(const QByteArray& text);

// A text with Quake 3 colour codes as runs of one colour each (the code's digit, 7 at the start).
struct ColourRun
{
    int colour = 7;
    QString text;

    bool operator==(const ColourRun&) const = default;
};
std::vector<ColourRun> colourRuns(const QString& text);

// The model role under which a name with its colour codes is offered to the views.
inline constexpr int ColouredTextRole = 0x0100 + 10;

// QuakeWorld's 8-bit names as the letters its clients draw: the high ("gold") half is the
// plain half in another colour, and the low codes hold brackets, digits and dots.
QByteArray quakeWorldPlain(const QByteArray& text);

} // namespace trevisk
