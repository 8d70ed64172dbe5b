// What a simulated meter keeps in its EEPROM: identity, settings and the
// calibration constants. Held in a JSON file between runs so that what the
// service window programs survives a restart.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k730::sim {

struct TSimEeprom {
    uint8_t kind = 1;                  // kind byte: bits 0..6 meter kind, bit 7 luminance mode
    std::string descriptor;            // first identity text, sent as Windows-1250 bytes
    std::string firmware = "2.1.0003"; // digits and points only
    std::vector<std::string> producer; // further identity texts, one per line
    std::array<float, 3> ranges{};     // full scale of ranges 0..2 in the meter's unit, 0 = absent
    uint16_t serial = 0xFFFF;          // 0xFFFF = not programmed
    uint16_t year = 0xFFFF;            // 0xFFFF = not programmed
    uint16_t address = 1;              // MerBUS address, 0x0000..0xFFFE
    uint8_t modbusAddress = 1;         // 1..247
    uint8_t defaultRange = 0;          // range the meter starts in
    uint8_t conversions = 6;           // conversions per result, 1..255
    uint8_t config = 0;                // configuration byte (service window)
    bool currentLoop = true;           // 4-20 mA output switched on
    uint32_t forcing4mA = 0x4000;      // DAC code that gives 4 mA
    float resultFactor = 1.4142135f;   // KE
    float loopFactor = 1.4142135f;     // KL
    uint32_t calTempCode = 680;        // temperature code at calibration in the low 16 bits
    std::array<float, 3> rangeFactors{1.0f, 1.0f, 1.0f}; // result correction per range
    float tempCoefficient = 0.0f;                        // result change per kelvin, as a fraction
    int32_t darkCounts = 120;                            // detector zero stored by a storing detector zeroing
    int32_t systemZeroCounts = 300;                      // measuring-system zero stored by command 14
    uint16_t zeroTempCode = 680; // temperature code of the last stored system zeroing, 0xFFFF = never
};

// Defaults of meter number `index` (1 for SIM1): a three-range luxmeter whose
// address and serial number follow the index so that several meters differ.
TSimEeprom DefaultEeprom(int index);

// Reads the file; a missing key keeps the value of `defaults`. Returns nothing
// and a message in `error` when the file cannot be read or holds bad values.
std::optional<TSimEeprom> LoadEeprom(const std::filesystem::path& file, const TSimEeprom& defaults,
                                     std::string& error);

// The same from the text of a state file.
std::optional<TSimEeprom> ParseEeprom(std::string_view text, const TSimEeprom& defaults, std::string& error);

// The text of a state file holding `eeprom`.
std::string EepromText(const TSimEeprom& eeprom);

// Writes the whole state through a temporary file, so a crash never leaves half a file.
bool SaveEeprom(const std::filesystem::path& file, const TSimEeprom& eeprom, std::string& error);

} // namespace k730::sim
