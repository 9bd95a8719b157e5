#include "notify/SmtpMessage.h"

#include <QStringList>

#include <algorithm>

namespace trevisk {

namespace {

constexpr const char* DayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* MonthNames[] = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Keeps each encoded word within the 75 characters a header word may have.
constexpr qsizetype EncodedWordBytes = 45;

bool isAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// Non-ASCII header text travels as UTF-8 encoded words, folded between words.
QByteArray encodedWords(const QString& text)
{
    QByteArrayList words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        if (chunk.size() + bytes.size() > EncodedWordBytes) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
        i += length;
    }
    if (!chunk.isEmpty())
        words << chunk;
    QByteArrayList encoded;
    for (const QByteArray& word : words)
        encoded << "=?UTF-8?B?" + word.toBase64() + "?=";
    return encoded.join("\r\n ");
}

QByteArray unstructured(const QString& text)
{
    const QString value = headerValue(text);
    return isAscii(value) ? value.toLatin1() : encodedWords(value);
}

QByteArray displayName(const QString& name)
{
    const QString value = headerValue(name);
    if (!isAscii(value))
        return encodedWords(value);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    if (std::none_of(value.cbegin(), value.cend(), [](QChar c) { return specials.contains(c); }))
        return value.toLatin1();
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

QByteArray mailbox(const QString& name, const QString& address)
{
    return displayName(name) + " <" + headerValue(address).toUtf8() + '>';
}

} // namespace

QString headerValue(const QString& text)
{
    QString value;
    value.reserve(text.size());
    bool lineBreak = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lineBreak = true;
            continue;
        }
        if (c.category() == QChar::Other_Control)
            continue;
        if (lineBreak && !value.isEmpty())
            value += QLatin1Char(' ');
        lineBreak = false;
        value += c;
    }
    return value;
}

QByteArray rfc5322Date(const QDateTime& date)
{
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc() / 60;
    const int absolute = std::abs(offset);
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(DayNames[day.dayOfWeek() - 1]))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(MonthNames[day.month() - 1]))
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(time.toString(QStringLiteral("HH:mm:ss")))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(absolute / 60, 2, 10, QLatin1Char('0'))
        .arg(absolute % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray bodyData(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalised.remove(QChar(0));
    QStringList lines = normalised.split(QLatin1Char('\n'));
    // A text that already ends with a line break gets no empty line added.
    if (lines.last().isEmpty())
        lines.removeLast();
    QByteArray body;
    for (const QString& line : std::as_const(lines)) {
        if (line.startsWith(QLatin1Char('.')))
            body += '.';
        body += line.toUtf8() + "\r\n";
    }
    return body;
}

bool isEnvelopeAddress(const QString& address)
{
    return !address.isEmpty() && std::none_of(address.cbegin(), address.cend(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('<') || c == QLatin1Char('>');
    });
}

QByteArray messageData(const SmtpMessage& message, const QDateTime& date, const QString& messageId)
{
    const QByteArray body = bodyData(message.text);
    const bool eightBit = std::any_of(body.cbegin(), body.cend(), [](char c) { return (c & 0x80) != 0; });
    QByteArray data;
    data += "FROM: " + mailbox(message.fromName, message.from) + "\r\n";
    data += "TO: " + mailbox(message.toName, message.to) + "\r\n";
    data += "Date: " + rfc5322Date(date) + "\r\n";
    data += "SUBJECT: " + unstructured(message.subject) + "\r\n";
    data += "Message-ID: <" + headerValue(messageId).toUtf8() + ">\r\n";
    data += "MIME-Version: 1.0\r\n";
    data += "Content-Type: text/plain; charset=UTF-8\r\n";
    data += QByteArray("Content-Transfer-Encoding: ") + (eightBit ? "8bit" : "7bit") + "\r\n";
    data += "\r\n";
    data += body;
    data += ".\r\n";
    return data;
}

} // namespace trevisk
