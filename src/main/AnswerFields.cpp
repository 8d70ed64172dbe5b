// Bounds-checked reading of answer fields.
#include "main/AnswerFields.h"

#include "main/Cp1250.h"

#include <cstring>

namespace k730 {

namespace {

template <typename T> std::optional<T> ReadLE(const TBytes& f, size_t offset) {
    if (offset > f.size() || f.size() - offset < sizeof(T)) return std::nullopt;
    uint32_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<uint32_t>(f[offset + i]) << (8 * i);
    return static_cast<T>(v);
}

} // namespace

std::optional<uint8_t> FrameU8(const TBytes& f, size_t offset) {
    return ReadLE<uint8_t>(f, offset);
}
std::optional<uint16_t> FrameU16(const TBytes& f, size_t offset) {
    return ReadLE<uint16_t>(f, offset);
}
std::optional<uint32_t> FrameU32(const TBytes& f, size_t offset) {
    return ReadLE<uint32_t>(f, offset);
}

std::optional<float> FrameF32(const TBytes& f, size_t offset) {
    const auto bits = FrameU32(f, offset);
    if (!bits) return std::nullopt;
    float v = 0;
    std::memcpy(&v, &*bits, sizeof v);
    return v;
}

std::optional<TStatusReading> ReadStatusAnswer(const TBytes& f) {
    if (f.size() < STATUS_DISPLAY_MIN_SIZE) return std::nullopt;
    TStatusReading r;
    r.mode = f[7];
    r.flags = f[8];
    r.value = *FrameF32(f, 9);
    r.batchMin = *FrameF32(f, 13);
    r.batchMax = *FrameF32(f, 17);
    r.conversions = f[21];
    r.kindByte = f[22];
    r.rawCount = static_cast<int32_t>(*FrameU32(f, 23));
    r.loopDac = *FrameU32(f, 35);
    r.temperatureCode = *FrameU16(f, 39);
    r.forcingValue4mA = *FrameU32(f, 41);
    r.resultFactor = *FrameF32(f, 45);
    r.loopFactor = *FrameF32(f, 49);
    r.calTempCode = *FrameU16(f, 53);
    // The end byte follows the last field, so fields touching it are absent.
    const size_t dataEnd = f.size() - 1;
    if (dataEnd >= 55 + 2) r.calTempExtra = *FrameU16(f, 55);
    if (dataEnd >= 57 + 4) {
        r.fullScale = *FrameF32(f, 57);
        r.hasFullScale = true;
    }
    if (dataEnd >= 61 + 2) {
        r.zeroTempCode = *FrameU16(f, 61);
        r.hasZeroTempCode = true;
    }
    return r;
}

std::optional<TCalibrationSaved> ReadCalibrationSaved(const TBytes& f) {
    if (f.size() < 23) return std::nullopt;
    return TCalibrationSaved{*FrameU32(f, 8), *FrameF32(f, 12), *FrameF32(f, 16),
                             static_cast<int16_t>(*FrameU16(f, 20))};
}

std::optional<TServiceReadings> ReadServiceReadings(const TBytes& f) {
    if (f.size() < 21) return std::nullopt;
    return TServiceReadings{{*FrameF32(f, 8), *FrameF32(f, 12), *FrameF32(f, 16)}};
}

std::optional<TIdentityAnswer> ReadIdentityAnswer(const TBytes& f) {
    // 8 header bytes, then the trailer, which ends with the end byte.
    if (f.size() < 8 + IDENTITY_TRAILER_SIZE) return std::nullopt;
    TIdentityAnswer id;
    const size_t trailer = f.size() - IDENTITY_TRAILER_SIZE;
    size_t start = 8;
    while (start < trailer) {
        size_t end = start;
        while (end < trailer && f[end] != 0)
            ++end;
        const std::string raw(f.begin() + start, f.begin() + end);
        // Padding zeros after the last text carry no text of their own.
        if (!raw.empty() || id.texts.empty()) id.texts.push_back(Cp1250ToUtf8(raw));
        start = end + 1;
    }
    id.kindByte = f[trailer];
    for (size_t i = 0; i < 3; ++i)
        id.ranges[i] = *FrameF32(f, trailer + 1 + 4 * i);
    id.serialNumber = *FrameU16(f, trailer + 13);
    id.productionYear = *FrameU16(f, trailer + 15);
    return id;
}

} // namespace k730
