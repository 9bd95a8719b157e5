#include "notify/SmtpReply.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace trevisk {

QString SmtpReply::toString() const
{
    QString text = QString::number(code);
    for (const QString& line : lines) {
        if (!line.isEmpty())
            text += QLatin1Char(' ') + line;
    }
    return text;
}

QString printableText(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            clean += c;
    }
    return clean.trimmed();
}

void SmtpReplyReader::feed(const QByteArray& bytes)
{
    if (!m_error.isEmpty())
        return;
    m_buffer += bytes;
}

std::optional<SmtpReply> SmtpReplyReader::next()
{
    while (m_error.isEmpty()) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0) {
            if (m_buffer.size() > MaxReplyBytes)
                m_error = QCoreApplication::translate("SmtpReply", "The server sent a reply line that never ends.");
            return std::nullopt;
        }
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        const bool hasCode = line.size() >= 3 && std::all_of(line.cbegin(), line.cbegin() + 3, [](char c) {
                                 return c >= '0' && c <= '9';
                             });
        const char separator = line.size() > 3 ? line.at(3) : ' ';
        if (!hasCode || (separator != ' ' && separator != '-')) {
            m_error =
                QCoreApplication::translate("SmtpReply", "The server sent something that is not an SMTP reply: %1")
                    .arg(printableText(QString::fromUtf8(line.left(200))));
            return std::nullopt;
        }
        m_lines << printableText(QString::fromUtf8(line.mid(4)));
        m_replyBytes += end + 1;
        if (separator == '-') {
            if (m_replyBytes > MaxReplyBytes)
                m_error = QCoreApplication::translate("SmtpReply", "The server sent a reply that never ends.");
            continue;
        }
        SmtpReply reply;
        reply.code = line.left(3).toInt();
        reply.lines = std::exchange(m_lines, {});
        m_replyBytes = 0;
        return reply;
    }
    return std::nullopt;
}

void SmtpReplyReader::clear()
{
    m_buffer.clear();
    m_lines.clear();
    m_replyBytes = 0;
    m_error.clear();
}

} // namespace trevisk
