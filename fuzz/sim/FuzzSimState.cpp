// libFuzzer: the simulator's state file. A state it accepts is one a meter can
// hold, and writing it and reading it back gives the same state.
#include "sim/SimEeprom.h"
#include "sim/SimMeter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace k730::sim;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto eeprom = ParseEeprom(text, DefaultEeprom(1), error);
    if (!eeprom) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::string written = EepromText(*eeprom);
    const auto again = ParseEeprom(written, DefaultEeprom(2), error);
    if (!again || EepromText(*again) != written) std::abort();
    // A meter starts from it and answers its identity and status.
    TSimMeter meter(*eeprom, TSimDetector(), 0);
    for (const uint8_t command : {k730::CMD_IDENTIFY, k730::CMD_STATUS})
        (void)meter.Handle(k730::BuildRequest(command, k730::MERBUS_BROADCAST, {}, false), 1000);
    return 0;
}
