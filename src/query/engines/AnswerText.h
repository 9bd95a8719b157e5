#pragma once

#include "query/AnswerUpdate.h"

#include <QByteArray>
#include <QList>

namespace trevisk {

// Byte-level readers shared by the engines' parsers. One byte is one character; nothing here
// decodes text except where a settings row is built.

// Value of a key in a backslash key/value text. The key is found as plain text followed by a
// backslash anywhere in the text, so "hostname" also finds sv_hostname; the first occurrence wins.
QByteArray getKeyValue(const QByteArray& text, const QByteArray& key);
// The value that starts at valueStart: up to the next backslash, else the next line feed, else the end.
QByteArray keyValueAt(const QByteArray& text, qsizetype valueStart);

// Value of a key in a zero-separated answer after its 5-byte header; the last occurrence wins.
QByteArray getNulValue(const QByteArray& text, const QByteArray& key);

// decodeText of a short text, such as a player's score or ping: one copy shared by every player
// and server that sends the same, rather than one made for each answer.
QString sharedShortText(const QByteArray& bytes);

// The text without its bytes below 32.
QByteArray stripControl(const QByteArray& text);
// The text without leading and trailing spaces (spaces only, not other white space).
QByteArray trimSpaces(const QByteArray& text);
// Split at every separator; an empty text has no fields at all.
QList<QByteArray> splitFields(const QByteArray& text, char separator);

// Settings of a backslash key/value answer, in answer order, but for the one named `skipped`.
SettingsTable saveData(const QByteArray& answer, QByteArrayView skipped = {});
// Rows from alternating key and value fields; keys that are empty or all spaces are skipped.
SettingsTable settingsFromFields(const QList<QByteArray>& fields);

// Error numbers the parsers give a malformed answer.
enum AnswerErrorNumber : qint32
{
    MalformedRecord = 5,
    CountTooLarge = 6,
    MissingField = 9,
    NotANumber = 13,
};

} // namespace trevisk
