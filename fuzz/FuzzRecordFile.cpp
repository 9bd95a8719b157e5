// The record-file reader: a damaged or foreign file is refused, never half-read.
#include "store/RecordFile.h"
#include "store/RecordTable.h"
#include "store/Records.h"

#include <cstddef>
#include <cstdint>

using namespace trevisk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ReadOutcome outcome = readRecordBytes(bytes);
    // A file is either read or refused with a reason.
    if (outcome.table.has_value() == !outcome.error.isEmpty())
        __builtin_trap();
    if (outcome.table) {
        // As the server list store takes it in.
        RecordTable<ServerRecord> servers;
        servers.fromRaw(*outcome.table);
    }
    return 0;
}
