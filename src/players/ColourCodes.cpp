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

} // namespace trevisk
