#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace trevisk {

// A plain-text mail as the mailer's callers give it.
struct SmtpMessage
{
    QString from;
    QString fromName;
    QString to;
    QString toName;
    QString subject;
    QString text;
};

// What follows the server's go-ahead to DATA: the header block, the body with every line ended
// by CR LF and dot-stuffed, and the closing "." line.
QByteArray messageData(const SmtpMessage& message, const QDateTime& date, const QString& messageId);

// "Sat, 06 Dec 2026 12:00:00 +0100": English names whatever the locale, the real offset from UTC.
QByteArray rfc5322Date(const QDateTime& date);

// A header value on one line: line breaks become one blank, other control characters go.
QString headerValue(const QString& text);

// The body with every line ending made CR LF and the leading dot of a line doubled.
QByteArray bodyData(const QString& text);

// An address that can stand between angle brackets on a command line.
bool isEnvelopeAddress(const QString& address);

} // namespace trevisk
