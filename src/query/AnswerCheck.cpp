#include "query/AnswerCheck.h"

#include "core/Translations.h"

#include <QRegularExpression>

#include <vector>

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
    const auto impossible = [](const char* form, const QString& text) {
        return reasonText(form, -1, text.trimmed().left(24));
    };
    std::optional<qint64> count;
    if (reportsPlayerCount && update.numPlayers) {
        count = number(*update.numPlayers);
        if (count && (*count < 0 || *count > MaxCount))
            return impossible(reason::ImpossiblePlayerCount, *update.numPlayers);
    } else if (!reportsPlayerCount && update.playersChanged && update.players) {
        count = qint64(update.players->size());
    }
    const QString maxText = update.maxPlayers.value_or(knownMax);
    const std::optional<qint64> maximum = number(maxText);
    if (maximum && (*maximum < 0 || *maximum > MaxCount))
        return impossible(reason::ImpossibleMaximum, maxText);
    if (count && maximum && *count > *maximum)
        return reasonText(reason::MorePlayersThanSlots, *count, QString::number(*maximum));
    if (update.players) {
        for (auto it = update.players->begin(); it != update.players->end(); ++it) {
            // Nine characters or fewer stay within 32 bits: most scores need no decoding.
            if (it.scoreBytes() <= 9)
                continue;
            const QString text = it.score();
            const auto score = number(text);
            if (score && (*score < std::numeric_limits<qint32>::min() || *score > std::numeric_limits<qint32>::max()))
                return impossible(reason::ImpossibleScore, text);
        }
    }
    return std::nullopt;
}

QString reasonText(const char* form, qint64 count, const QString& first, const QString& second)
{
    QString text = QString::fromLatin1(form);
    if (count >= 0)
        text.replace(QLatin1String("%n"), QString::number(count));
    if (text.contains(QLatin1String("%2")))
        return text.arg(first, second);
    return text.contains(QLatin1String("%1")) ? text.arg(first) : text;
}

QString shownReason(const QString& reason)
{
    struct Form
    {
        const char* source;
        QRegularExpression pattern; // the English text, with a group for each of %n, %1 and %2
        std::vector<QChar> groups;  // which of n, 1 and 2 each group holds
    };
    static const std::vector<Form> forms = [] {
        std::vector<Form> result;
        for (const char* source : {reason::NotTheGamesAnswer,
                                   reason::NotAnA2sReply,
                                   reason::ImpossiblePlayerCount,
                                   reason::ImpossibleMaximum,
                                   reason::ImpossibleScore,
                                   reason::MorePlayersThanSlots,
                                   reason::NoIPv6,
                                   reason::SplitNotAPart,
                                   reason::SplitCompressed,
                                   reason::SplitTooManyParts,
                                   reason::SplitNoNumber,
                                   reason::SplitNoPayload,
                                   reason::SplitPartMisfit,
                                   reason::SplitNoHeader,
                                   reason::ReplyEndsBefore,
                                   reason::PlayerRecordCut,
                                   reason::PlayerRecordNoScore,
                                   reason::PlayerLineIncomplete,
                                   reason::PlayerLacks,
                                   reason::CountNotANumber,
                                   reason::CountOutOfRange,
                                   reason::CountBeyondAnswer}) {
            static const QRegularExpression placeholder(QStringLiteral("%([n12])"));
            const QString text = QString::fromLatin1(source);
            QString pattern = QStringLiteral("^");
            std::vector<QChar> groups;
            qsizetype at = 0;
            for (const QRegularExpressionMatch& match : placeholder.globalMatch(text)) {
                pattern += QRegularExpression::escape(text.mid(at, match.capturedStart() - at));
                const QChar which = match.captured(1).at(0);
                pattern += which == QLatin1Char('n') ? QStringLiteral("(\\d+)") : QStringLiteral("(.*)");
                groups.push_back(which);
                at = match.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(at)) + QLatin1Char('$');
            result.push_back({source,
                              QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption),
                              std::move(groups)});
        }
        return result;
    }();
    for (const Form& form : forms) {
        const QRegularExpressionMatch match = form.pattern.match(reason);
        if (!match.hasMatch())
            continue;
        int count = -1;
        QStringList texts(2);
        for (size_t i = 0; i < form.groups.size(); ++i) {
            const QString captured = match.captured(int(i) + 1);
            if (form.groups[i] == QLatin1Char('n'))
                count = captured.toInt();
            else
                texts[form.groups[i] == QLatin1Char('1') ? 0 : 1] = captured;
        }
        const QString text = Translations::text("AnswerReason", form.source, count);
        const size_t textCount = form.groups.size() - (count >= 0 ? 1 : 0);
        return textCount == 2 ? text.arg(texts[0], texts[1]) : textCount == 1 ? text.arg(texts[0]) : text;
    }
    return reason;
}

} // namespace trevisk
