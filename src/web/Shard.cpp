#include "web/Shard.h"

#include "core/Routines.h"
#include "core/Translations.h"

#include <QRegularExpression>

namespace trevisk {

bool Shard::watches(const QString& address) const
{
    return shardOf(address, count) == number;
}

std::optional<Shard> parseShard(const QString& text, QString* error)
{
    // Far more shards than any fleet needs, and well inside an int.
    constexpr int MostShards = 100000;
    static const QRegularExpression form(QStringLiteral("^(\\d{1,6})/(\\d{1,6})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (match.hasMatch()) {
        const Shard shard{match.captured(1).toInt(), match.captured(2).toInt()};
        if (shard.count >= 1 && shard.count <= MostShards && shard.number >= 1 && shard.number <= shard.count)
            return shard;
    }
    if (error) {
        *error = Translations::text("Shard",
                                    QT_TRANSLATE_NOOP("Shard",
                                                      "--shard takes K/N, shard K of N with 1 <= K <= N (for example "
                                                      "1/2), not \"%1\""))
                     .arg(visibleText(text));
    }
    return std::nullopt;
}

int shardOf(const QString& address, int count)
{
    if (count < 2)
        return 1;
    // Host names are case-blind: lists typed differently on two machines still agree.
    const QByteArray bytes = address.toLower().toUtf8();
    quint64 hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    // FNV-1a's low bits depend only on the bytes' low bits (its modulo 2 is a parity of the
    // digits): MurmurHash3's finaliser mixes every bit in before the modulo.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ULL;
    hash ^= hash >> 33;
    return static_cast<int>(hash % static_cast<quint64>(count)) + 1;
}

} // namespace trevisk
