// The rcon client's reading of a reply datagram and of the console text it carries.
#include "rcon/RconProtocol.h"

#include <cstddef>
#include <cstdint>

using namespace trevisk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RconDatagram read = readRconDatagram(datagram);
    rconRefusal(read.text);
    rconDisplayText(read.text);
    return 0;
}
