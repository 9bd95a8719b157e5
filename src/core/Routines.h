#pragma once

#include <QString>
#include <QVariant>

namespace trevisk {

// Four bytes FF that begin connectionless query and rcon datagrams.
inline const QByteArray PacketPrefix(4, '\xFF');

QString escapeQuotes(const QString& value);
// Empty text for a null value, else the value as text.
QString nullToText(const QVariant& value);
bool killFile(const QString& path);
// The folder part of a path, up to and including its last separator ("/" or "\").
QString getFolder(const QString& path);
// Bytes from a server as text: UTF-8 when they are valid UTF-8, else one character per byte (Latin-1).
QString decodeText(const QByteArray& bytes);

// Text that came from elsewhere (a server, a file) made safe for one line of a terminal or the log:
// control characters (C0, DEL, C1) and line breaks become a visible stand-in, so nothing can move
// the cursor, retitle the terminal or start a line of its own.
QString visibleText(const QString& text);
inline constexpr char16_t StandIn = 0xFFFD;
// Text from elsewhere as a tool tip. Qt reads any tip that looks like markup as rich text, so the
// text is escaped inside markup of the program's own and always shows as it stands, line breaks kept.
QString plainTip(const QString& text);
// Text from elsewhere in a window title, where Qt takes "[*]" as the modified mark and only "[*][*]" as itself.
QString plainTitle(const QString& text);
// Characters as a person counts them: a pair of surrogates is one.
qsizetype characterCount(QStringView text);

// Empty when `path` does not exist or is a regular file (also through a symbolic link); otherwise
// why the program must not replace or append to it (a folder, a device, a pipe, a dangling link).
QString notRegularFile(const QString& path);
// Empty unless other users may read or change the file that holds a secret; then a warning that
// says how to close it.
QString openSecretWarning(const QString& path);

} // namespace trevisk
