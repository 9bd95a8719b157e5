#pragma once

#include <QString>

#include <optional>

namespace trevisk {

// One of N monitors sharing a server list: each watches the servers whose address hashes to its own
// number, so that every listed server is watched by exactly one of them.
struct Shard
{
    int number = 1; // 1 to count
    int count = 1;

    QString text() const { return QStringLiteral("%1/%2").arg(number).arg(count); }
    bool watches(const QString& address) const;
};

// "K/N" with 1 <= K <= N; otherwise nothing, and `error` says what is expected.
std::optional<Shard> parseShard(const QString& text, QString* error);

// The shard (1 to count) of an address: FNV-1a (64 bits, with MurmurHash3's finaliser) over the
// lower-cased text as listed, modulo count.
// It depends on nothing but the address and the count, so adding or removing a server moves no other.
int shardOf(const QString& address, int count);

} // namespace trevisk
