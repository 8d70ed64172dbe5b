// libFuzzer: the calibration log reader on arbitrary bytes; what it reads must
// write back to the same valid prefix.
#include "files/CalLog.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const k730::TCalLogRead read = k730::ParseCalLog(bytes);
    if (read.validSize > size) std::abort();
    if (read.validSize > 0) {
        const k730::TBytes again = k730::SerializeCalLog(read.records);
        if (again.size() != read.validSize || std::memcmp(again.data(), data, again.size()) != 0)
            std::abort();
    }
    return 0;
}
