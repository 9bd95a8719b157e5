#include "query/engines/AnswerText.h"

#include "core/Routines.h"

#include <QHash>

#include <algorithm>

namespace trevisk {

QByteArray getKeyValue(const QByteArray& text, const QByteArray& key)
{
    const QByteArray needle = key + '\\';
    const qsizetype found = text.indexOf(needle);
    if (found < 0)
        return {};
    return keyValueAt(text, found + needle.size());
}

QByteArray keyValueAt(const QByteArray& text, qsizetype valueStart)
{
    qsizetype end = text.indexOf('\\', valueStart);
    if (end < 0)
        end = text.indexOf('\n', valueStart);
    if (end < 0)
        end = text.size();
    return text.mid(valueStart, end - valueStart);
}

QByteArray getNulValue(const QByteArray& text, const QByteArray& key)
{
    const QList<QByteArray> fields = splitFields(text.mid(5), '\0');
    QByteArray value;
    for (qsizetype i = 0; i + 1 < fields.size(); ++i) {
        if (fields.at(i) == key)
            value = fields.at(i + 1);
    }
    return value;
}

QString sharedShortText(const QByteArray& bytes)
{
    // Bounded, as servers choose the text.
    constexpr qsizetype ShortBytes = 8;
    constexpr qsizetype PoolLimit = 4096;
    if (bytes.size() > ShortBytes)
        return decodeText(bytes);
    // One per thread: QHash is not shared between threads, its texts may be.
    thread_local QHash<QByteArray, QString> pool;
    if (const auto found = pool.constFind(bytes); found != pool.constEnd())
        return *found;
    QString text = decodeText(bytes);
    if (pool.size() < PoolLimit)
        pool.insert(bytes, text);
    return text;
}

QByteArray stripControl(const QByteArray& text)
{
    QByteArray kept;
    kept.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 32)
            kept.append(c);
    }
    return kept;
}

QByteArray trimSpaces(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == ' ')
        ++begin;
    while (end > begin && text.at(end - 1) == ' ')
        --end;
    return text.mid(begin, end - begin);
}

QList<QByteArray> splitFields(const QByteArray& text, char separator)
{
    if (text.isEmpty())
        return {};
    return text.split(separator);
}

SettingsTable saveData(const QByteArray& answer, QByteArrayView skipped)
{
    const qsizetype first = answer.indexOf('\\');
    if (first < 0)
        return {};
    const qsizetype last = answer.lastIndexOf('\\');
    // A Quake information line ends at its line feed and a Half-Life one at its zero byte, so their
    // last value lies after the last backslash.
    qsizetype end = last;
    for (qsizetype i = last; i < answer.size(); ++i) {
        if (answer.at(i) == '\n' || answer.at(i) == '\0') {
            end = i;
            break;
        }
    }
    if (end <= first)
        return {};
    // Key and value fields alternate between backslashes; a last key without a value is dropped.
    // Read in place: every answer of every server passes here.
    const char* data = answer.constData();
    SettingsTable settings;
    settings.reserveBytes(end - first);
    qsizetype pos = first + 1;
    while (pos < end) {
        const qsizetype keyEnd = answer.indexOf('\\', pos);
        if (keyEnd < 0 || keyEnd >= end)
            break;
        qsizetype valueEnd = answer.indexOf('\\', keyEnd + 1);
        if (valueEnd < 0 || valueEnd > end)
            valueEnd = end;
        const QByteArrayView key(data + pos, keyEnd - pos);
        if (std::any_of(key.begin(), key.end(), [](char c) { return c != ' '; }) && key != skipped)
            settings.appendBytes(key, QByteArrayView(data + keyEnd + 1, valueEnd - keyEnd - 1));
        pos = valueEnd + 1;
    }
    settings.squeeze();
    return settings;
}

SettingsTable settingsFromFields(const QList<QByteArray>& fields)
{
    SettingsTable settings;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        if (!trimSpaces(fields.at(i)).isEmpty())
            settings.push_back({decodeText(fields.at(i)), decodeText(fields.at(i + 1))});
    }
    return settings;
}

} // namespace trevisk
