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
