// TDisplayReading: what the measurement display shows for one status answer,
// as plain values the connection controller fills in. The display decides the
// layout, the unit picture, the marks and the copied text from it; the number
// text itself comes formatted (FormatMeasuredValue: digits, separator and an
// "E" part whose exponent is a multiple of 3).
#pragma once

#include "main/MeterKind.h"
#include "protocol/MerBusAnswers.h"

#include <cstdint>
#include <optional>
#include <string>

namespace k730 {

struct TDisplayReading {
    std::string text;                      // the formatted value, "E" part included when there is one
    int exponent = 0;                      // the decimal exponent of `text` (multiple of 3), 0 without "E"
    int digits = 6;                        // significant digits shown (DigitsForValue)
    float value = 0;                       // measured value, in the meter's unit
    float fullScale = 5000;                // full scale of the range in use, in the meter's unit
    std::uint8_t kindByte = 1;             // bits 0..6 kind, bit 7 luminance mode
    bool kindValid = true;                 // the kind byte names a unit (IsValidMeterType)
    std::uint8_t statusFlags = 0;          // StatusFlags of the answer
    std::string temperatureText = "0,0°C"; // detector temperature with one decimal and "°C"
};

// The display's reading of one status answer: the digits worth showing for
// its range, the value text in them, the kind, flags and temperature. Empty
// for an answer too short to be shown (55 bytes or fewer) or without a value.
std::optional<TDisplayReading> MakeDisplayReading(const TStatusAnswer& status, char decimalSeparator);

// What the status icon strip shows.
struct TIconInputs {
    bool statusKnown = false; // nothing but background until the first status answer
    bool loopOn = false;      // StatusFlags bit 6
    bool autoRange = false;   // automatic range change switched on
    int convCount = 0;        // conversions per result
    int averCount = 5;        // moving-average length
    bool repeatAuto = true;   // automatic refresh
    int refreshMs = 1000;     // manual refresh period
};

} // namespace k730
