// libFuzzer: what the calibration reads from the meter and from the operator —
// status answers into the wizard's snapshot, parameter echoes, numbers typed
// into the entry fields and search texts read as dates.
#include "calibration/CalSearchText.h"
#include "calibration/CalValues.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    k730::TCalSnapshot snapshot;
    if (k730::UpdateSnapshot(snapshot, bytes) && !std::isfinite(snapshot.rangeFullScale)) std::abort();
    if (const auto echo = k730::DecodeParameterEcho(bytes); echo && size < 14) std::abort();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char decimal : {',', '.'}) {
        const auto number = k730::ParseEntryNumber(text, decimal);
        if (number && !std::isfinite(*number)) std::abort();
        k730::IsPositiveEntry(text, decimal);
    }
    if (const auto day = k730::ParseSearchDate(text, '.', ':', 2024); day && !std::isfinite(*day))
        std::abort();
    const std::string normal = k730::NormaliseSearchText(text);
    if (normal.size() > size) std::abort();
    if (k730::LowerCp1250(normal).size() > normal.size()) std::abort();
    return 0;
}
