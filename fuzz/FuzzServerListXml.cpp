// The server list import: any file a user picks is read or refused.
#include "store/ServerListXml.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace trevisk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    readServerListXml(buffer);
    return 0;
}
