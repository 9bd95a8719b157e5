#include "players/ColourCodes.h"

namespace trevisk {

QByteArray stripColours(const QByteArray& text)
{
    QByteArray kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '^')
            ++i;
        else
            kept.append(text.at(i));
    }
    return kept;
}

std::vector<ColourRun> colourRuns(const QString& text)
{
    std::vector<ColourRun> runs;
    ColourRun current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('^')) {
            current.text += text.at(i);
            continue;
        }
        // A caret goes with the character after it, as the game reads it.
        const int colour = i + 1 < text.size() ? (text.at(i + 1).unicode() - '0') & 7 : current.colour;
        ++i;
        if (!current.text.isEmpty())
            runs.push_back(current);
        current = {colour, QString()};
    }
    if (!current.text.isEmpty())
        runs.push_back(current);
    return runs;
}

QByteArray quakeWorldPlain(const QByteArray& text)
{
    QByteArray plain;
    plain.reserve(text.size());
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte) & 0x7F;
        if (c >= 0x12 && c <= 0x1B)
            plain.append(char('0' + (c - 0x12)));
        else if (c == 0x10)
            plain.append('[');
        else if (c == 0x11)
            plain.append(']');
        else if (c == 0x1D)
            plain.append('<');
        else if (c == 0x1E)
            plain.append('-');
        else if (c == 0x1F)
            plain.append('>');
        else if (c < 0x20 || c == 0x7F)
            plain.append('.');
        else
            plain.append(char(c));
    }
    return plain;
}

} // namespace trevisk
