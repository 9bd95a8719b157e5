#include "core/PackedText.h"

#include <algorithm>
#include <cstring>

namespace trevisk::packed {

void putNumber(QByteArray& rows, quint64 value)
{
    char bytes[10];
    rows.append(bytes, writeNumber(bytes, value) - bytes);
}

quint64 takeLongNumber(const QByteArray& rows, qsizetype& at)
{
    quint64 value = 0;
    for (int shift = 0; at < rows.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(rows.at(at++));
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    return value;
}

void putUtf8(QByteArray& rows, QByteArrayView utf8)
{
    putNumber(rows, quint64(utf8.size()) << 1);
    rows.append(utf8);
}

void putText(QByteArray& rows, const QString& text)
{
    const QChar* chars = text.constData();
    const qsizetype count = text.size();
    // Short plain ASCII, most of what servers send, is copied in one pass with no converted copy:
    // this runs for every text of every answer. Anything else is taken back and converted.
    if (count < 0x40) {
        const qsizetype start = rows.size();
        rows.resize(start + 1 + count);
        char* out = rows.data() + start;
        *out++ = static_cast<char>(count << 1);
        qsizetype i = 0;
        for (; i < count && chars[i].unicode() < 0x80; ++i)
            out[i] = static_cast<char>(chars[i].unicode());
        if (i == count)
            return;
        rows.truncate(start);
    }
    if (text.isValidUtf16()) {
        putUtf8(rows, text.toUtf8());
        return;
    }
    const qsizetype bytes = count * qsizetype(sizeof(QChar));
    putNumber(rows, (quint64(bytes) << 1) | 1);
    rows.append(reinterpret_cast<const char*>(chars), bytes);
}

QString takeText(const QByteArray& rows, qsizetype& at)
{
    const quint64 header = takeNumber(rows, at);
    const auto bytes = static_cast<qsizetype>(std::min<quint64>(header >> 1, quint64(rows.size() - at)));
    const char* data = rows.constData() + at;
    at += bytes;
    if (!(header & 1))
        return QString::fromUtf8(data, bytes);
    QString text(bytes / qsizetype(sizeof(QChar)), Qt::Uninitialized);
    std::memcpy(text.data(), data, size_t(text.size()) * sizeof(QChar));
    return text;
}

} // namespace trevisk::packed
