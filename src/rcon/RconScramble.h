#pragma once

#include <QString>

#include <optional>

class QRandomGenerator;

namespace trevisk {

// The scrambled form of remembered rcon passwords. Every character is raised by 32 and the
// text is: a fillers, a marker, the password's characters raised by a x b with fillers between
// them, a marker, b fillers (markers 1, fillers 2 to 21, a and b from 1 to 7).

// The scrambled text, or nothing when the form cannot carry this password: an empty one, a
// control character, or one whose raised code would pass 255 for every a and b.
std::optional<QString> scrambleRcon(const QString& password, QRandomGenerator& random);

// The password of a scrambled text, or nothing when the text does not have the scrambled form's
// shape (a password remembered as typed, even one holding the marker "!").
std::optional<QString> unscrambleRcon(const QString& stored);

} // namespace trevisk
