// The meter's raw results block (the whole status answer frame) taken apart
// field by field for the results frame, and the values of one line of the
// results file. Pure functions over the received bytes.
#pragma once

#include "files/ResultFile.h"
#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

struct TMinMaxAv;

// Offsets of the fields in the block (from the frame's first byte).
enum TResultsOffset : size_t {
    roAddress = 5,
    roMode = 7,
    roStatus = 8,
    roResultAverage = 9,
    roResultMinimum = 13,
    roResultMaximum = 17,
    roConversions = 21,
    roKind = 22,
    roAdcAverage = 23,
    roAdcSystemZero = 27,
    roAdcDarkCurrent = 31,
    roLoopDac = 35,
    roTemperature = 39,
    roDac0 = 41,
    roKE = 45,
    roKL = 49,
    roCalTemperature = 53,
    roFullScale = 57,
    roZeroTemperature = 61,
};
// Bytes a block needs to carry every field the results file takes.
constexpr size_t RESULT_LINE_BLOCK_SIZE = roFullScale + 4;

// One row of the results frame.
struct TResultsRow {
    std::string caption;            // "Temperatura:"
    size_t offset = 0;              // in the block; 0 for the rows fed by other answers
    size_t size = 0;                // bytes of the field
    bool present = false;           // the block is long enough to hold the field
    std::vector<std::string> bytes; // two hex digits each, most significant first
    std::string decoded;            // aligned to the right edge
};

// The rows in the order the frame shows them: every field of the block, then
// the MODBUS address and the configuration byte from their own answers
// (nothing = not known yet). Rows the block is too short for are not present.
std::vector<TResultsRow> ResultsRows(const TBytes& block, std::optional<uint8_t> modBusAddress,
                                     std::optional<uint8_t> config, char decimalSeparator);
constexpr size_t RESULTS_ROW_COUNT = 21;
// Widest field, in bytes (the "3" … "0" columns).
constexpr size_t RESULTS_MAX_FIELD = 4;
// Shown in red in the first byte label of a field the block lacks.
constexpr std::string_view RESULTS_MISSING = "Błąd";

// The values of one line of the results file, taken from the last block:
// range full scale and KE, dark current, system zero and ADC average, the
// 4 mA value, the temperature, the loop DAC and the result average. While the
// main window's statistics hold an average, its temperature, ADC, loop DAC
// and result averages are used instead. Nothing for a block too short.
std::optional<TResultLineValues> ResultLineValues(const TBytes& block, const TMinMaxAv* averages);

// Temperature code in the block's signed form: (code × 1.07421875 − 500) / 10.
double SignedTempCelsius(int16_t code);

} // namespace k730
