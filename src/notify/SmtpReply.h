#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace trevisk {

// One complete server reply: its three-digit code and the text of each of its lines.
struct SmtpReply
{
    int code = 0;
    QStringList lines;

    bool isPositive() const { return code >= 200 && code < 400; }
    // The reply as one line for an error message: "550 first line second line".
    QString toString() const;
    bool operator==(const SmtpReply&) const = default;
};

// Gathers the bytes of the server into whole replies. A multi-line reply ("250-...") ends only at
// the line whose code is followed by a blank (or by nothing), however the bytes were split.
class SmtpReplyReader
{
public:
    // Longest reply we accept; a server that sends more is not speaking SMTP.
    static constexpr qsizetype MaxReplyBytes = qsizetype{64} * 1024;

    void feed(const QByteArray& bytes);
    // The next complete reply, or nothing until more bytes arrive (or after an error).
    std::optional<SmtpReply> next();
    // Set once the bytes cannot be an SMTP reply; the reader then yields nothing more.
    const QString& error() const { return m_error; }
    // Bytes received past the last complete reply.
    bool hasPending() const { return !m_buffer.isEmpty() || !m_lines.isEmpty(); }
    void clear();

private:
    QByteArray m_buffer;
    QStringList m_lines;
    qsizetype m_replyBytes = 0;
    QString m_error;
};

// Reply text is shown to the user: keep it printable.
QString printableText(const QString& text);

} // namespace trevisk
