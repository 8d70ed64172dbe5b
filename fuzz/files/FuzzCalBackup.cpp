// libFuzzer: opening a calibration log backup (header and bounded inflate).
#include "files/CalLogBackup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto image = k730::OpenCalBackup(std::span<const uint8_t>(data, size));
    if (image && image->log.size() > k730::CAL_BACKUP_LIMIT) __builtin_trap();
    // The raw stream too, without the file head, and with a small limit.
    k730::InflateZlib(std::span<const uint8_t>(data, size), 1 << 16);
    return 0;
}
