#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>

// Texts packed one after another in a byte array, for tables every server holds one of.
// A number is written seven bits a byte, lowest first, so that small ones take one byte. A text is
// its length in bytes, doubled, plus one when it is UTF-16 (a text UTF-8 cannot carry: a lone
// surrogate), then its bytes.
namespace trevisk::packed {

// Bytes a number takes; writes it at `out` and returns the end.
inline int numberBytes(quint64 value)
{
    int bytes = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++bytes;
    }
    return bytes;
}
inline char* writeNumber(char* out, quint64 value)
{
    while (value >= 0x80) {
        *out++ = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<char>(value);
    return out;
}

void putNumber(QByteArray& rows, quint64 value);
quint64 takeLongNumber(const QByteArray& rows, qsizetype& at);

// Every answer's rows are read through here: the one-byte case, a text under 64 bytes, is inline.
inline quint64 takeNumber(const QByteArray& rows, qsizetype& at)
{
    if (at < rows.size()) {
        const auto first = static_cast<unsigned char>(rows.constData()[at]);
        if (first < 0x80) {
            ++at;
            return first;
        }
    }
    return takeLongNumber(rows, at);
}

// Bytes already UTF-8.
void putUtf8(QByteArray& rows, QByteArrayView utf8);
void putText(QByteArray& rows, const QString& text);
QString takeText(const QByteArray& rows, qsizetype& at);

inline void skipText(const QByteArray& rows, qsizetype& at)
{
    const quint64 bytes = takeNumber(rows, at) >> 1;
    at += static_cast<qsizetype>(std::min<quint64>(bytes, quint64(rows.size() - at)));
}

} // namespace trevisk::packed
