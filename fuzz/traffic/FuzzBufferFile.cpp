// libFuzzer: the traffic buffer file reader, loading into buffers and saving again.
#include "traffic/BufferFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const k730::TBufferFileRead read = k730::ParseBufferFile(std::span<const uint8_t>(data, size));
    if (!read.valid) return 0;
    k730::TTrafficBuffers buffers;
    size_t kept = 0;
    for (const auto& r : read.records)
        if (r.buffer < k730::TRAFFIC_BUFFER_COUNT && buffers.AddRecord(r.buffer, r.bytes)) ++kept;
    const auto again = k730::ParseBufferFile(k730::SerializeBufferFile(buffers, "1.3"));
    if (!again.valid || again.records.size() != kept) std::abort();
    for (uint32_t s = 1; s <= buffers.LastSequence(); ++s)
        if (buffers.RecordAt(s).buffer < 0) std::abort();
    return 0;
}
