#include "calibration/CalValues.h"

#include "protocol/ByteOrder.h"
#include "protocol/MerBusAnswers.h"

#include <bit>
#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace k730 {
namespace {

// True when the field [offset, offset + size) lies before the frame's end byte.
bool Carries(std::span<const uint8_t> frame, size_t offset, size_t size) {
    return frame.size() >= 1 && offset + size <= frame.size() - 1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool UpdateSnapshot(TCalSnapshot& s, std::span<const uint8_t> frame) {
    const auto header = AcceptAnswer(frame);
    if (!header || header->code != ANS_STATUS) return false;
    if (Carries(frame, 7, 1)) s.mode = frame[7];
    if (Carries(frame, 8, 1)) s.flags = frame[8];
    if (Carries(frame, 23, 4)) s.rawReading = static_cast<int32_t>(ReadU32(frame, 23));
    if (Carries(frame, 35, 4)) s.loopDacInUse = ReadU32(frame, 35);
    if (Carries(frame, 39, 2)) s.temperatureCode = ReadU16(frame, 39);
    if (Carries(frame, 41, 4) && (s.flags & CAL_FLAG_FORCING_INVALID) == 0)
        s.stored4mAValue = ReadU32(frame, 41);
    if (Carries(frame, 57, 4)) {
        const float fullScale = ReadF32(frame, 57);
        s.rangeFullScale = std::isfinite(fullScale) ? fullScale : 0.0f;
    }
    return true;
}

std::optional<TCalParameterEcho> DecodeParameterEcho(std::span<const uint8_t> frame) {
    const auto header = AcceptAnswer(frame);
    if (!header || header->code != ANS_SET_CAL_PARAMETER || !Carries(frame, 8, 5)) return std::nullopt;
    return TCalParameterEcho{frame[7], frame[8], ReadU32(frame, 9)};
}

std::optional<double> ParseEntryNumber(std::string_view text, char decimal) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            plain += text[i];
            ++digits;
        } else if (text[i] == decimal && !point) {
            plain += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        const size_t first = i;
        while (i < text.size() && IsDigit(text[i]))
            plain += text[i++];
        if (i == first) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    const double value = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool IsPositiveEntry(std::string_view text, char decimal) {
    const auto value = ParseEntryNumber(text, decimal);
    // The single the meter's tools keep must itself be a usable number.
    if (!value || std::fabs(*value) > 3.4028234663852886e38) return false;
    const float single = static_cast<float>(*value);
    return std::isfinite(single) && single > 0.0f;
}

std::string WithDecimalSeparator(std::string text, char decimal) {
    for (char& c : text)
        if (c == ',' || c == '.') c = decimal;
    return text;
}

double RoundHalfEven(double value) {
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(mode);
    return rounded;
}

std::string HexValueText(uint64_t value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

TQueueItem StatusItem() {
    return TQueueItem{{CMD_STATUS}, {}};
}

TQueueItem SetModeItem(uint8_t mode) {
    return TQueueItem{{CMD_SET_MODE, mode}, {}};
}

TQueueItem ForcingValueItem(uint32_t dac) {
    TQueueItem item{{CMD_SET_FORCING_VALUE}, {}};
    AppendU32(item.bytes, dac);
    return item;
}

TQueueItem ParameterItem(uint8_t index, uint32_t value) {
    TQueueItem item{{CMD_SET_CAL_PARAMETER, index}, {}};
    AppendU32(item.bytes, value);
    return item;
}

TQueueItem FloatParameterItem(uint8_t index, float value) {
    return ParameterItem(index, std::bit_cast<uint32_t>(value));
}

TQueueItem SaveItem(const TCalSaveValues& v, std::string comment) {
    TQueueItem item{{CMD_SAVE_CALIBRATION}, std::move(comment)};
    AppendU32(item.bytes, v.forcing4mA);
    AppendF32(item.bytes, v.resultFactor);
    AppendF32(item.bytes, v.loopFactor);
    AppendU32(item.bytes, v.calTempCode);
    return item;
}

} // namespace k730
