// Feeds the master list readers arbitrary datagrams: each kind must refuse or read them, never
// read past their end, and a conversation must stay within its bound whatever comes.
#include "find/MasterProtocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace trevisk;

// The first byte picks the kind; the rest is a run of datagrams, each after a length byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const MasterKind kinds[] = {
        MasterKind::Quake3, MasterKind::QuakeWorld, MasterKind::Quake2, MasterKind::Source};
    const MasterKind kind = kinds[data[0] % 4];
    constexpr size_t Bound = 64;
    MasterConversation conversation({kind, 68, QStringLiteral("Quake3Arena")}, Bound);
    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const QByteArray datagram(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(length));
        at += length + 1;
        readMasterReply(kind, datagram);
        conversation.take(datagram);
        if (conversation.list().servers().size() > Bound)
            __builtin_trap();
    }
    return 0;
}
