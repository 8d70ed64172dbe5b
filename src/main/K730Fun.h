// Text rules of the meter model: serial number and year texts, firmware
// version comparison, ampersand escaping for labels, the model descriptor's
// derived values, temperature codes and the maker's device model names.
// The meter record itself lives in MeterInfo.h, number formatting in
// ValueFormat.h; this header brings them along so one include serves a window.
#pragma once

#include "main/K730Lang.h"
#include "main/MeterInfo.h"
#include "main/MeterKind.h"
#include "main/ValueFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace k730 {

// Shown where a value is not known.
constexpr std::string_view UNKNOWN_VALUE_TEXT = "-----";
constexpr std::string_view UNKNOWN_SERIAL_TEXT = "---";
constexpr std::string_view UNKNOWN_YEAR_TEXT = "----";

// Serial number and production year as the meter holds them (0xFFFF = not programmed).
constexpr uint16_t NOT_PROGRAMMED = 0xFFFF;

std::string SerialNumberText(uint16_t serial);
std::string ProductionYearText(uint16_t year);
// Serial text, "/", year text.
std::string SerialAndYearText(uint16_t serial, uint16_t year);

// The meter name of the main window: the descriptor as the meter sent it (a
// label without a buddy shows '&' as it stands), or "-----" when it is empty
// or reads "żaden" / "none" (the no-port entry).
std::string MeterNameText(std::string_view descriptor);
// SerialAndYearText, or "-----" for an empty text.
std::string MeterNumberText(std::string_view serialAndYear);

// Compares firmware versions group by group of digits: -1, 0 or 1.
int CompareVersions(std::string_view a, std::string_view b);
// Firmware from this version on is "new" (TMeterInfo::NewFirmware).
constexpr std::string_view NEW_FIRMWARE_VERSION = "2.0.0005";
bool IsNewFirmware(std::string_view version);
// A non-empty text of digits and points only.
bool IsVersionText(std::string_view text);

// Labels and menus treat '&' as an accelerator mark; texts from the meter are
// shown through EscapeAmpersands so that "A&B" stays "A&B".
std::string EscapeAmpersands(std::string_view text);
std::string UnescapeAmpersands(std::string_view text);

// Detector head temperature: °C = (code × 1100 / 1024 − 500) / 10.
double TempCodeToCelsius(uint16_t code);
// One decimal with the given separator, followed by "°C" ("23,4°C").
std::string TemperatureText(uint16_t code, char decimalSeparator);
// 5.0 °C expressed in temperature codes (512/11).
constexpr double TEMP_CODES_PER_5_DEGREES = 512.0 / 11.0;

// Derived values of the model descriptor, e.g. "K-730/V/2M/L1/3/A1"; only the
// text up to the first CR LF counts.
std::string DescriptorSensitivity(std::string_view descriptor); // "V"
std::string DescriptorAperture(std::string_view descriptor);    // "1"
int DescriptorConfiguration(std::string_view descriptor);       // 3; 0 when absent or not 0..255
std::string DescriptorVersion(std::string_view descriptor);     // "A1"
// The version for dialogs: "podstawowa" / "basic" when the descriptor has none.
std::string DescriptorVersionText(std::string_view descriptor, int lang);

// The maker's device models. Code 6 is this product; code 9 does not exist.
struct TDeviceModel {
    int index = 0;         // row of the table, 0 = unknown device
    std::string_view name; // "K-730", or "Nieznane urządzenie" for the unknown row
    bool found = false;
};
constexpr int DEVICE_MODEL_COUNT = 35;
constexpr int DEVICE_CODE_K730 = 6;
TDeviceModel DeviceModelName(int code);

} // namespace k730
