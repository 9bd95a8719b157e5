#pragma once

#include "query/AnswerUpdate.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

namespace trevisk {

// Why an answer's numbers cannot be true (a negative or six-digit count, more players than
// slots, a score beyond 32 bits), or nothing. `knownMax` is the maximum an earlier answer of
// the cycle gave, for engines that send it apart from the players.
std::optional<QString> nonsenseIn(const AnswerUpdate& update, const QString& knownMax, bool reportsPlayerCount);

// The forms of a bad answer's or a refusal's reason. A reason is kept in English, as the JSON and
// the logs carry it, and put into the reader's language where it is shown (shownReason).
namespace reason {
inline constexpr char NotTheGamesAnswer[] = QT_TRANSLATE_N_NOOP("AnswerReason", "not a %1 server's answer (%n bytes)");
inline constexpr char NotAnA2sReply[] = QT_TRANSLATE_N_NOOP("AnswerReason", "not an A2S reply (%n bytes)");
inline constexpr char ImpossiblePlayerCount[] = QT_TRANSLATE_NOOP("AnswerReason", "player count %1 is impossible");
inline constexpr char ImpossibleMaximum[] = QT_TRANSLATE_NOOP("AnswerReason", "maximum %1 is impossible");
inline constexpr char ImpossibleScore[] = QT_TRANSLATE_NOOP("AnswerReason", "score %1 is impossible");
inline constexpr char MorePlayersThanSlots[] = QT_TRANSLATE_N_NOOP("AnswerReason", "%n players on a server of %1");
inline constexpr char NoIPv6[] = QT_TRANSLATE_NOOP("AnswerReason", "IPv6 is not available on this machine");
inline constexpr char SplitNotAPart[] = QT_TRANSLATE_NOOP("AnswerReason", "Not a part of a split reply");
inline constexpr char SplitCompressed[] =
    QT_TRANSLATE_NOOP("AnswerReason", "The server sent a compressed (bzip2) split reply, which is not supported");
inline constexpr char SplitTooManyParts[] = QT_TRANSLATE_NOOP("AnswerReason", "Too many parts in one split reply");
inline constexpr char SplitNoNumber[] = QT_TRANSLATE_NOOP("AnswerReason", "A split part ends before its number");
inline constexpr char SplitNoPayload[] = QT_TRANSLATE_NOOP("AnswerReason", "A split part ends before its payload");
inline constexpr char SplitPartMisfit[] =
    QT_TRANSLATE_NOOP("AnswerReason", "Split part %1 of %2 does not fit its reply");
inline constexpr char SplitNoHeader[] = QT_TRANSLATE_NOOP("AnswerReason", "The joined split reply has no header");
// What a player list or an A2S reply lacks, named in an answer's error report.
inline constexpr char ReplyEndsBefore[] = QT_TRANSLATE_NOOP("AnswerReason", "The reply ends before its %1");
inline constexpr char PlayerRecordCut[] = QT_TRANSLATE_NOOP("AnswerReason", "Player record %1 is cut short");
inline constexpr char PlayerRecordNoScore[] = QT_TRANSLATE_NOOP("AnswerReason", "Player record %1 has no score");
inline constexpr char PlayerLineIncomplete[] = QT_TRANSLATE_NOOP("AnswerReason", "Player line %1 is incomplete");
inline constexpr char PlayerLacks[] = QT_TRANSLATE_NOOP("AnswerReason", "Player %1 has no %2");
inline constexpr char CountNotANumber[] = QT_TRANSLATE_NOOP("AnswerReason", "numplayers is not a number: %1");
inline constexpr char CountOutOfRange[] = QT_TRANSLATE_NOOP("AnswerReason", "numplayers %1 is out of range");
inline constexpr char CountBeyondAnswer[] =
    QT_TRANSLATE_NOOP("AnswerReason", "numplayers %1 is more than an answer of %2 bytes can hold");
} // namespace reason

// A reason in English: `form` (one of the above) with %n the count and %1, %2 the texts.
QString reasonText(const char* form, qint64 count = -1, const QString& first = {}, const QString& second = {});
// A reason in the reader's language; one of no known form as it stands.
QString shownReason(const QString& reason);

} // namespace trevisk
