#include "query/AnswerCheck.h"

#include <QRegularExpression>

namespace trevisk {

namespace {

// Far above any server's slots, and below the six digits no server has ever counted.
constexpr qint64 MaxCount = 99999;

// A number as the server wrote it; nothing for a text that is no number (it is left as it is).
std::optional<qint64> number(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (ok)
        return value;
    // Beyond 64 bits: still a number, and certainly an impossible one.
    static const QRegularExpression digits(QStringLiteral("^\\s*-?\\d+\\s*$"));
    if (digits.match(text).hasMatch())
        return text.trimmed().startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min()
                                                           : std::numeric_limits<qint64>::max();
    return std::nullopt;
}

} // namespace

std::optional<QString> nonsenseIn(const AnswerUpdate& update, const QString& knownMax, bool reportsPlayerCount)
{
    const auto impossible = [](const char* what, const QString& text) {
        return QStringLiteral("%1 %2 is impossible").arg(QLatin1String(what), text.trimmed().left(24));
    };
    std::optional<qint64> count;
    if (reportsPlayerCount && update.numPlayers) {
        count = number(*update.numPlayers);
        if (count && (*count < 0 || *count > MaxCount))
            return impossible("player count", *update.numPlayers);
    } else if (!reportsPlayerCount && update.playersChanged && update.players) {
        count = qint64(update.players->size());
    }
    const QString maxText = update.maxPlayers.value_or(knownMax);
    const std::optional<qint64> maximum = number(maxText);
    if (maximum && (*maximum < 0 || *maximum > MaxCount))
        return impossible("maximum", maxText);
    if (count && maximum && *count > *maximum)
        return QStringLiteral("%1 players on a server of %2").arg(*count).arg(*maximum);
    if (update.players) {
        for (const Player& player : *update.players) {
            const auto score = number(player.score);
            if (score && (*score < std::numeric_limits<qint32>::min() || *score > std::numeric_limits<qint32>::max()))
                return impossible("score", player.score);
        }
    }
    return std::nullopt;
}

} // namespace trevisk
