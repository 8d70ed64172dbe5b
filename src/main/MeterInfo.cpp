// TMeterInfo operations and the identity answer.
#include "main/MeterInfo.h"

#include "main/K730Fun.h"

#include <bit>
#include <algorithm>
#include <tuple>

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

TIdentity MeterInfoFromIdentity(const TIdentityAnswer& answer, const TMeterInfo& stored) {
    TIdentity identity;
    TMeterInfo& info = identity.Info;
    info.ModelDescriptor = answer.DescriptorUtf8();
    info.ProducerText = answer.ProducerTextUtf8();
    info.FirmwareVersion = answer.FirmwareVersionUtf8();
    identity.IdentityText = answer.IdentityTextUtf8();
    info.MeterKind = KindOf(answer.kindByte);
    info.LumMode = LumModeOf(answer.kindByte);
    info.RangeCount = std::min<uint8_t>(answer.rangeCount, MAX_RANGES);
    for (int i = 0; i < info.RangeCount; ++i)
        info.RangeFullScale[i] = answer.rangeFullScale[i];
    info.SerialNumber = answer.serialNumber;
    info.ProductionYear = answer.productionYear;
    info.DefaultRange = stored.DefaultRange;
    info.MerBusAddrKnown = stored.MerBusAddrKnown;
    info.NewFirmware = IsNewFirmware(info.FirmwareVersion);
    return identity;
}

} // namespace k730
