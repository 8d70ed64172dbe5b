// TMeterInfo operations and the identity answer.
#include "main/MeterInfo.h"

#include "main/Cp1250.h"
#include "main/K730Fun.h"

#include <bit>
#include <cstring>
#include <string_view>
#include <tuple>
#include <vector>

namespace k730 {
namespace {

template <typename T> bool SameBits(T a, T b) {
    if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
    else
        return a == b;
}

bool SameRanges(const TMeterInfo& a, const TMeterInfo& b) {
    for (int i = 0; i < MAX_RANGES; ++i)
        if (!SameBits(a.RangeFullScale[i], b.RangeFullScale[i])) return false;
    return true;
}

uint16_t U16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

float F32(std::span<const uint8_t> bytes, size_t at) {
    const uint32_t raw = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                         (static_cast<uint32_t>(bytes[at + 3]) << 24);
    return std::bit_cast<float>(raw);
}

// The zero-terminated texts of the text area; the last may lack its zero.
std::vector<std::string> SplitTexts(std::span<const uint8_t> area) {
    std::vector<std::string> texts;
    size_t start = 0;
    while (start < area.size()) {
        size_t end = start;
        while (end < area.size() && area[end] != 0)
            ++end;
        texts.push_back(
            Cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(area.data()) + start, end - start)));
        start = end + 1;
    }
    return texts;
}

void TakeTexts(const std::vector<std::string>& texts, TIdentity& identity) {
    TMeterInfo& info = identity.Info;
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        // Zero padding after the last text is not a text; the descriptor may be empty.
        if (i > 0 && text.empty()) continue;
        if (i > 0) identity.IdentityText += "\r\n";
        identity.IdentityText += text;
        if (i == 0) {
            info.ModelDescriptor = text;
        } else if (IsVersionText(text)) {
            info.FirmwareVersion = text;
        } else {
            if (!info.ProducerText.empty()) info.ProducerText += "\r\n";
            info.ProducerText += text;
        }
    }
}

} // namespace

uint8_t KindByteOf(const TMeterInfo& info) {
    return MakeKindByte(info.MeterKind, info.LumMode);
}

void ClearMeterInfo(TMeterInfo& info) {
    info = TMeterInfo{};
}

void CopyMeterInfo(const TMeterInfo& source, TMeterInfo& target) {
    target = source;
}

bool SameMeterInfo(const TMeterInfo& a, const TMeterInfo& b) {
    auto numbers = [](const TMeterInfo& m) {
        return std::tuple(m.SerialNumber, m.ProductionYear, m.MeterKind, m.LumMode, m.RangeCount,
                          m.DefaultRange, m.ForcingValue4mA, m.CalTempCode, m.CalTempReserved,
                          m.TemperatureCode, m.ZeroTempCode, m.MerBusAddrKnown, m.ModBusAddrKnown,
                          m.StatusKnown, m.StatusFlags, m.ConvCount, m.RangeChangePending, m.NewFirmware);
    };
    return numbers(a) == numbers(b) && SameRanges(a, b) && SameBits(a.ResultFactor, b.ResultFactor) &&
           SameBits(a.LoopFactor, b.LoopFactor) && a.ModelDescriptor == b.ModelDescriptor &&
           a.ProducerText == b.ProducerText && a.FirmwareVersion == b.FirmwareVersion;
}

bool RangesDiffer(const TMeterInfo& a, const TMeterInfo& b) {
    return a.RangeCount != b.RangeCount || a.MeterKind != b.MeterKind || !SameRanges(a, b);
}

std::optional<TIdentity> DecodeIdentity(std::span<const uint8_t> frame, const TMeterInfo& stored) {
    if (frame.size() < IDENTITY_MIN_FRAME) return std::nullopt;
    const size_t trailer = frame.size() - 18;
    TIdentity identity;
    TMeterInfo& info = identity.Info;
    TakeTexts(SplitTexts(frame.subspan(8, trailer - 8)), identity);

    info.MeterKind = KindOf(frame[trailer]);
    info.LumMode = LumModeOf(frame[trailer]);
    // The count stops at the first value that is not positive; what follows
    // it is not a range.
    for (int i = 0; i < MAX_RANGES; ++i) {
        const float fullScale = F32(frame, trailer + 1 + 4 * i);
        if (!(fullScale > 0)) break;
        info.RangeFullScale[i] = fullScale;
        info.RangeCount = static_cast<uint8_t>(i + 1);
    }
    info.SerialNumber = U16(frame, trailer + 13);
    info.ProductionYear = U16(frame, trailer + 15);
    info.DefaultRange = stored.DefaultRange;
    info.MerBusAddrKnown = stored.MerBusAddrKnown;
    info.NewFirmware = IsNewFirmware(info.FirmwareVersion);
    return identity;
}

} // namespace k730
