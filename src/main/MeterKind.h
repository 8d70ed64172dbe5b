// The meter kind byte and the facts that hang on it: kind and type names,
// units, quantity symbols, detector sensitivity designations, and the status
// flag byte of the status answer.
#pragma once

#include <cstdint>
#include <string_view>

namespace k730 {

// Kind byte as it travels in the identity answer, the status answer and the
// templates: bits 0..6 the meter kind, bit 7 luminance-type measurement.
constexpr uint8_t KIND_MASK = 0x7F;
constexpr uint8_t KIND_LUMINANCE_BIT = 0x80;

enum TMeterKind : uint8_t {
    mkPhotometer = 1,
    mkRadiometer = 2,
    mkParMeter = 3,
    mkAmperemeter = 4,
};

constexpr uint8_t KindOf(uint8_t kindByte) {
    return kindByte & KIND_MASK;
}
constexpr uint8_t LumModeOf(uint8_t kindByte) {
    return (kindByte & KIND_LUMINANCE_BIT) ? 1 : 0;
}
constexpr uint8_t MakeKindByte(uint8_t kind, uint8_t lumMode) {
    return static_cast<uint8_t>((kind & KIND_MASK) | (lumMode ? KIND_LUMINANCE_BIT : 0));
}

// Kinds 1..4, except an amperemeter in luminance mode, which has no unit.
bool IsValidMeterType(uint8_t kindByte);

// "Fotometr" / "Photometer" ...; any other kind gives the unknown-type text.
std::string_view MeterKindText(uint8_t kind, int lang);
// The instrument label ("Luksomierz" / "Luxmeter" ...), by kind and mode.
std::string_view MeterTypeText(uint8_t kind, uint8_t lumMode, int lang);
// "lx", "cd·m^-2" ... (UTF-8, literal "^-2"); empty for a kind outside 1..4.
// Callers show it only when IsValidMeterType holds.
std::string_view MeterUnitText(uint8_t kind, uint8_t lumMode);
// 'E' (illuminance type), 'L' (luminance type) or 'I' (current); '?' for a
// kind outside 1..4.
char QuantitySymbol(uint8_t kind, uint8_t lumMode);

// Detector spectral sensitivity designations, index 0..9; any other index
// gives "Błąd" / "Error".
constexpr int SENSITIVITY_COUNT = 10;
std::string_view SensitivitySymbol(int index, int lang);
// Index of a designation (exact match), -1 when it is not one of the ten.
int SensitivityIndex(std::string_view symbol);

// "TAK"/"YES" for flagNo = 0, "NIE"/"NO" for flagNo = 1.
std::string_view YesNoText(int flagNo, int lang);
// "NIE"/"NO" for flagYes = 0, "TAK"/"YES" for flagYes = 1.
std::string_view NoYesText(int flagYes, int lang);
// Current loop state: "wyłączona"/"turned off", "włączona"/"turned on".
std::string_view LoopStateText(bool on, int lang);

// Bits of the status answer's flag byte.
enum TStatusFlag : uint8_t {
    sfOverRange = 0x01,           // the value exceeds the range
    sfDetectorZeroing = 0x02,     // detector zeroing running
    sfSystemZeroing = 0x04,       // measuring-system zeroing running
    sfResultFactorInvalid = 0x08, // the value is not to be shown
    sfLoopFactorInvalid = 0x10,
    sfForcingValueInvalid = 0x20, // 4 mA forcing value
    sfLoopOn = 0x40,              // current loop switched on
};
// The whole byte equal to this means the meter has just reset.
constexpr uint8_t STATUS_METER_RESET = 0xFF;

constexpr bool HasStatusFlag(uint8_t flags, TStatusFlag flag) {
    return (flags & flag) != 0;
}
constexpr bool IsMeterReset(uint8_t flags) {
    return flags == STATUS_METER_RESET;
}

} // namespace k730
