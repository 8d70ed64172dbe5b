#include "service/ResultsBlock.h"

#include "main/MinMaxAv.h"
#include "protocol/ByteOrder.h"
#include "service/ServiceInfo.h"
#include "service/ServiceEdits.h"
#include "service/ServiceNumbers.h"

#include <cmath>
#include <functional>

namespace k730 {

namespace {

constexpr double ADC_FULL_SCALE = 16777215.0; // 0xFFFFFF counts

enum TDecode : uint8_t {
    dcHex,         // the value in as many hex digits as the field has
    dcBits,        // eight binary digits
    dcExponent,    // float in exponent form
    dcDecimal,     // unsigned decimal
    dcAdc,         // signed converter count scaled by KE and the range
    dcCurrent,     // DAC code as loop current
    dcTemperature, // signed temperature code
    dcFixed7,      // float with 7 decimals
    dcCalTemp,     // temperature in the low 16 bits of 4 bytes
    dcRange,       // float with at most four significant digits
    dcZeroTemp,    // temperature, or "___" for never (0 and 0xFFFF)
};

struct TField {
    const char* caption;
    size_t offset;
    size_t size;
    TDecode decode;
};

constexpr std::array<TField, RESULTS_ROW_COUNT - 2> FIELDS = {{
    {"Adres MerBUS:", roAddress, 2, dcHex},
    {"Tryb pracy:", roMode, 1, dcBits},
    {"Status:", roStatus, 1, dcBits},
    {"Wynik Średnia: ", roResultAverage, 4, dcExponent},
    {"Wynik Minimum: ", roResultMinimum, 4, dcExponent},
    {"Wynik Maksimum: ", roResultMaximum, 4, dcExponent},
    {"Ilość konwersji:", roConversions, 1, dcDecimal},
    {"Rodzaj miernika: ", roKind, 1, dcHex},
    {"LTC2400 Średnia:", roAdcAverage, 4, dcAdc},
    {"LTC2400 ZeroSystemu: ", roAdcSystemZero, 4, dcAdc},
    {"LTC2400 PrądCiemny:", roAdcDarkCurrent, 4, dcAdc},
    {"AD421 Prąd:", roLoopDac, 4, dcCurrent},
    {"Temperatura:", roTemperature, 2, dcTemperature},
    {"AD421 Prąd 4mA:", roDac0, 4, dcCurrent},
    {"Wsp. KAL Miernika:", roKE, 4, dcFixed7},
    {"Wsp. KAL Pętli:", roKL, 4, dcFixed7},
    {"Temperatura kalibracji:", roCalTemperature, 4, dcCalTemp},
    {"Zakres pomiarowy:", roFullScale, 4, dcRange},
    {"Temperatura ZeraSystemu:", roZeroTemperature, 2, dcZeroTemp},
}};

bool Holds(const TBytes& block, size_t offset, size_t size) {
    return block.size() >= offset + size;
}

uint32_t FieldValue(const TBytes& block, size_t offset, size_t size) {
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | block[offset + i];
    return value;
}

// Converter count × KE × range / 0xFFFFFF, or the bare count when the block
// lacks KE or the range, or the product is not a number.
std::string AdcText(const TBytes& block, int32_t raw, char sep) {
    if (Holds(block, roFullScale, 4)) {
        const double scaled = raw * static_cast<double>(ReadF32(block, roKE)) *
                              static_cast<double>(ReadF32(block, roFullScale)) / ADC_FULL_SCALE;
        if (std::isfinite(scaled)) return GeneralText(scaled, sep);
    }
    return std::to_string(raw);
}

std::string Decoded(const TBytes& block, const TField& f, char sep) {
    const uint32_t v = FieldValue(block, f.offset, f.size);
    switch (f.decode) {
    case dcHex:
        return HexText(v, static_cast<int>(f.size * 2));
    case dcBits:
        return BitsText(static_cast<uint8_t>(v));
    case dcExponent:
        return ExponentText(ReadF32(block, f.offset), sep);
    case dcDecimal:
        return std::to_string(v);
    case dcAdc:
        return AdcText(block, static_cast<int32_t>(v), sep);
    case dcCurrent:
        return DacCurrentText(v, sep);
    case dcTemperature:
    case dcCalTemp:
        return SignedTemperatureText(static_cast<int16_t>(v & 0xFFFF), sep);
    case dcFixed7:
        return FixedText(ReadF32(block, f.offset), 7, sep);
    case dcRange:
        return RangeValueText(ReadF32(block, f.offset), sep);
    case dcZeroTemp:
        return v == 0 || v == 0xFFFF ? "___" : SignedTemperatureText(static_cast<int16_t>(v), sep);
    }
    return {};
}

TResultsRow ByteRow(const char* caption, std::optional<uint8_t> value, std::string decoded) {
    TResultsRow row;
    row.caption = caption;
    row.size = 1;
    row.present = value.has_value();
    if (value) {
        row.bytes = {HexText(*value, 2)};
        row.decoded = std::move(decoded);
    }
    return row;
}

} // namespace

double SignedTempCelsius(int16_t code) {
    return (code * 1.07421875 - 500.0) / 10.0;
}

std::vector<TResultsRow> ResultsRows(const TBytes& block, std::optional<uint8_t> modBusAddress,
                                     std::optional<uint8_t> config, char decimalSeparator) {
    std::vector<TResultsRow> rows;
    rows.reserve(RESULTS_ROW_COUNT);
    for (const TField& f : FIELDS) {
        TResultsRow row;
        row.caption = f.caption;
        row.offset = f.offset;
        row.size = f.size;
        row.present = Holds(block, f.offset, f.size);
        if (row.present) {
            for (size_t i = f.size; i-- > 0;)
                row.bytes.push_back(HexText(block[f.offset + i], 2));
            row.decoded = Decoded(block, f, decimalSeparator);
        }
        rows.push_back(std::move(row));
    }
    rows.push_back(ByteRow("Adres MODBUS:", modBusAddress, modBusAddress ? HexText(*modBusAddress, 2) : ""));
    rows.push_back(ByteRow("Konfiguracja:", config, config ? BitsText(*config) : ""));
    return rows;
}

std::optional<TResultLineValues> ResultLineValues(const TBytes& block, const TMinMaxAv* averages) {
    if (block.size() < RESULT_LINE_BLOCK_SIZE) return std::nullopt;
    TResultLineValues v;
    v.FullScale = ReadF32(block, roFullScale);
    v.KE = ReadF32(block, roKE);
    v.DarkAdc = static_cast<int32_t>(ReadU32(block, roAdcDarkCurrent));
    v.SystemZeroAdc = static_cast<int32_t>(ReadU32(block, roAdcSystemZero));
    v.Dac0 = ReadU32(block, roDac0);
    if (averages && averages->AvgValid) {
        v.TempCode = averages->AvgTempCode;
        v.AdcAverage = static_cast<int32_t>(averages->AvgRawReading);
        v.Dac = averages->AvgLoopDac;
        v.ResultAverage = averages->AvgValue;
    } else {
        v.TempCode = ReadU16(block, roTemperature);
        v.AdcAverage = static_cast<int32_t>(ReadU32(block, roAdcAverage));
        v.Dac = ReadU32(block, roLoopDac);
        v.ResultAverage = ReadF32(block, roResultAverage);
    }
    return v;
}

} // namespace k730
