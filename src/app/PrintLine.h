#pragma once

#include <QString>

#include <cstdio>

namespace trevisk {

// One line of text to a stream, flushed.
void printLine(const QString& text, FILE* stream = stdout);

} // namespace trevisk
