#include "rcon/RconScramble.h"

#include <QList>
#include <QRandomGenerator>

#include <algorithm>

namespace trevisk {

namespace {

constexpr int Raise = 32;
constexpr int Marker = 1;
constexpr int FillerLow = 2;
constexpr int FillerHigh = 21;
// Unscrambling drops every code below this as a filler.
constexpr int FirstKept = 23;
constexpr int MaxFactor = 7;
constexpr int MaxCode = 255;

bool isFiller(int code)
{
    return code >= FillerLow && code <= FillerHigh;
}

// A space travels as code 0.
int plainCode(QChar c)
{
    return c == QLatin1Char(' ') ? 0 : c.unicode();
}

} // namespace

std::optional<QString> scrambleRcon(const QString& password, QRandomGenerator& random)
{
    if (password.isEmpty())
        return std::nullopt;
    for (const QChar c : password) {
        if (c != QLatin1Char(' ') && c.unicode() <= 0x20)
            return std::nullopt;
    }
    // Only the factors that keep every character apart from the fillers and within one byte; a
    // space, carried as a x b itself, needs a product of at least 23.
    QList<std::pair<int, int>> factors;
    for (int a = 1; a <= MaxFactor; ++a) {
        for (int b = 1; b <= MaxFactor; ++b) {
            const bool fits = std::all_of(password.begin(), password.end(), [&](QChar c) {
                const int code = plainCode(c) + a * b;
                return code >= FirstKept && code + Raise <= MaxCode;
            });
            if (fits)
                factors.append({a, b});
        }
    }
    if (factors.isEmpty())
        return std::nullopt;
    const auto [a, b] = factors.at(random.bounded(static_cast<int>(factors.size())));
    const auto filler = [&] { return QChar(static_cast<char16_t>(random.bounded(FillerLow, FillerHigh + 1) + Raise)); };
    QString out;
    for (int i = 0; i < a; ++i)
        out += filler();
    out += QChar(Marker + Raise);
    for (const QChar c : password) {
        if (random.bounded(1, 4) > 1)
            out += filler();
        out += QChar(static_cast<char16_t>(plainCode(c) + a * b + Raise));
    }
    out += QChar(Marker + Raise);
    for (int i = 0; i < b; ++i)
        out += filler();
    return out;
}

std::optional<QString> unscrambleRcon(const QString& stored)
{
    QList<int> codes;
    for (const QChar c : stored) {
        if (c.unicode() < Raise || c.unicode() > MaxCode)
            return std::nullopt;
        codes.append(c.unicode() - Raise);
    }
    const qsizetype first = codes.indexOf(Marker);
    const qsizetype last = codes.lastIndexOf(Marker);
    if (first < 0 || last <= first)
        return std::nullopt;
    const qsizetype a = first;
    const qsizetype b = codes.size() - 1 - last;
    if (a < 1 || a > MaxFactor || b < 1 || b > MaxFactor)
        return std::nullopt;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if ((i < first || i > last) && !isFiller(codes.at(i)))
            return std::nullopt;
    }
    QString password;
    for (qsizetype i = first + 1; i < last; ++i) {
        const int code = codes.at(i);
        if (code < FirstKept) {
            // A marker inside is a space another writer scrambled with a x b = 1; it drops as a filler does.
            if (!isFiller(code) && code != Marker)
                return std::nullopt;
            continue;
        }
        const int plain = code - static_cast<int>(a * b);
        // A scrambler never writes a control character, nor a space other than as code 0.
        if (plain != 0 && plain <= 0x20)
            return std::nullopt;
        password += plain == 0 ? QChar(QLatin1Char(' ')) : QChar(static_cast<char16_t>(plain));
    }
    if (password.isEmpty())
        return std::nullopt;
    return password;
}

} // namespace trevisk
