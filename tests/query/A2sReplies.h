#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

// Today's Half-Life replies written byte by byte from the protocol's description, not by the simulator.
namespace a2sreplies {

template <typename T> QByteArray le(T value)
{
    QByteArray bytes(sizeof value, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
// A byte literal whole, zero bytes included.
template <size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}
inline QByteArray str(const char* text)
{
    return QByteArray(text) + '\0';
}
inline const QByteArray Single(4, '\xFF');

inline QByteArray infoReply(char players = 7)
{
    return Single + 'I' + char(17) + str("Lab \xC3\xA9 Arena") + str("de_dust2") + str("cstrike")
           + str("Counter-Strike") + le<qint16>(10) + players + char(16) + char(2) + 'd' + 'l' + char(0) + char(1)
           + str("1.1.2.7") + char(0x80) + le<qint16>(27015);
}
inline QByteArray oldInfoReply()
{
    return Single + 'm' + str("127.0.0.1:27015") + str("Old Lab") + str("crossfire") + str("valve") + str("Half-Life")
           + char(3) + char(12) + char(47) + 'D' + 'L' + char(0) + char(0) + char(1) + char(0);
}
inline QByteArray playersReply()
{
    return Single + 'D' + char(2) + char(0) + str("Alice") + le<qint32>(12) + le(3725.5F) + char(0) + str("")
           + le<qint32>(-3) + le(59.0F);
}
inline QByteArray rulesReply()
{
    // Counts three rules and sends two: what is there is read.
    return Single + 'E' + le<qint16>(3) + str("mp_timelimit") + str("30") + str("sv_gravity") + str("800");
}

// The parts of a split reply in the form "goldsrc", "source" or "source-nosize".
inline QList<QByteArray> split(const QByteArray& reply, qint32 id, int size, const QString& form)
{
    QList<QByteArray> parts;
    const int total = int((reply.size() + size - 1) / size);
    for (int n = 0; n < total; ++n) {
        const QByteArray number = form == QLatin1String("goldsrc") ? QByteArray(1, char((n << 4) | total))
                                  : form == QLatin1String("source")
                                      ? char(total) + QByteArray(1, char(n)) + le<qint16>(qint16(size))
                                      : char(total) + QByteArray(1, char(n));
        parts << QByteArray("\xFE\xFF\xFF\xFF", 4) + le<qint32>(id) + number + reply.mid(n * size, size);
    }
    return parts;
}

// A split part whose id has the top bit set: bzip2-compressed.
inline QByteArray compressedPart()
{
    return split(rulesReply(), qint32(0x80000005), 20, QStringLiteral("source")).at(0);
}

} // namespace a2sreplies
