#include "protocol/MerBusAnswers.h"
#include "main/Cp1250.h"
#include "protocol/ByteOrder.h"
#include "protocol/MerBusFrames.h"

#include <algorithm>

namespace k730 {
namespace {

constexpr size_t kDataOffset = 8;

// True when the field lies in the frame's data, before the end byte.
bool Carries(std::span<const uint8_t> frame, size_t offset, size_t size) {
    return offset + size <= frame.size() - 1;
}

std::optional<TAnswerHeader> Expect(std::span<const uint8_t> frame, uint8_t code) {
    auto header = AcceptAnswer(frame);
    if (!header || header->code != code) return std::nullopt;
    return header;
}

template <typename T, typename Read>
void ReadIfCarried(std::span<const uint8_t> frame, size_t offset, std::optional<T>& field, Read read) {
    if (Carries(frame, offset, sizeof(T))) field = static_cast<T>(read(frame, offset));
}

uint8_t ReadU8(std::span<const uint8_t> bytes, size_t offset) {
    return bytes[offset];
}

bool IsVersionText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

std::string JoinUtf8(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty()) out += "\r\n";
        out += Cp1250ToUtf8(line);
    }
    return out;
}

// Zero-terminated texts of the identity answer; the last one may lack its
// zero. Empty texts after the first carry nothing and are skipped.
std::vector<std::string> SplitTexts(std::span<const uint8_t> area) {
    std::vector<std::string> texts;
    size_t at = 0;
    while (at < area.size()) {
        const auto zero = std::find(area.begin() + static_cast<std::ptrdiff_t>(at), area.end(), 0);
        const size_t end = static_cast<size_t>(zero - area.begin());
        if (end > at || texts.empty())
            texts.emplace_back(area.begin() + static_cast<std::ptrdiff_t>(at), zero);
        at = end + 1;
    }
    return texts;
}

} // namespace

std::optional<TAnswerHeader> DecodeAnswerHeader(std::span<const uint8_t> frame) {
    if (!IsWholeMerBus1Frame(frame)) return std::nullopt;
    TAnswerHeader header;
    header.code = frame[3];
    header.status = frame[4];
    header.length = frame.size();
    // In frames of 7 or 8 bytes these fields reach the end byte; they are read
    // as the meter laid them out, never beyond the frame.
    if (frame.size() > 6) header.address = ReadU16(frame, 5);
    if (frame.size() > 7) header.mode = frame[7];
    if (header.code >= MERBUS_ANSWER_BIT)
        header.command = static_cast<uint8_t>(header.code - MERBUS_ANSWER_BIT);
    else if (header.code == MERBUS_REFUSAL && Carries(frame, kDataOffset, 1))
        header.command = frame[kDataOffset];
    return header;
}

std::optional<TAnswerHeader> AcceptAnswer(std::span<const uint8_t> frame) {
    auto header = DecodeAnswerHeader(frame);
    if (!header || !header->IsExecuted()) return std::nullopt;
    return header;
}

std::span<const uint8_t> AnswerData(std::span<const uint8_t> frame) {
    if (frame.size() <= kDataOffset + 1) return {};
    return frame.subspan(kDataOffset, frame.size() - kDataOffset - 1);
}

std::string TIdentityAnswer::DescriptorUtf8() const {
    return Cp1250ToUtf8(descriptor);
}
std::string TIdentityAnswer::FirmwareVersionUtf8() const {
    return Cp1250ToUtf8(firmwareVersion);
}
std::string TIdentityAnswer::ProducerTextUtf8() const {
    return JoinUtf8(producerLines);
}
std::string TIdentityAnswer::IdentityTextUtf8() const {
    return JoinUtf8(texts);
}

std::optional<TIdentityAnswer> DecodeIdentity(std::span<const uint8_t> frame) {
    const auto header = Expect(frame, ANS_IDENTIFY);
    if (!header || frame.size() < kDataOffset + IDENTITY_TRAILER) return std::nullopt;
    TIdentityAnswer answer;
    answer.address = *header->address;
    answer.mode = *header->mode;

    const size_t trailer = frame.size() - IDENTITY_TRAILER;
    answer.texts = SplitTexts(frame.subspan(kDataOffset, trailer - kDataOffset));
    for (size_t i = 0; i < answer.texts.size(); ++i) {
        const std::string& text = answer.texts[i];
        if (i == 0)
            answer.descriptor = text;
        else if (IsVersionText(text))
            answer.firmwareVersion = text;
        else
            answer.producerLines.push_back(text);
    }

    answer.kindByte = frame[trailer];
    for (size_t i = 0; i < 3; ++i)
        answer.rangeFullScale[i] = ReadF32(frame, trailer + 1 + 4 * i);
    while (answer.rangeCount < 3 && answer.rangeFullScale[answer.rangeCount] > 0)
        ++answer.rangeCount;
    answer.serialNumber = ReadU16(frame, trailer + 13);
    answer.productionYear = ReadU16(frame, trailer + 15);
    return answer;
}

std::optional<TStatusAnswer> DecodeStatus(std::span<const uint8_t> frame) {
    const auto header = Expect(frame, ANS_STATUS);
    if (!header) return std::nullopt;
    TStatusAnswer s;
    s.header = *header;
    ReadIfCarried(frame, 8, s.flags, ReadU8);
    ReadIfCarried(frame, 9, s.value, ReadF32);
    ReadIfCarried(frame, 13, s.minimum, ReadF32);
    ReadIfCarried(frame, 17, s.maximum, ReadF32);
    ReadIfCarried(frame, 21, s.conversions, ReadU8);
    ReadIfCarried(frame, 22, s.kindByte, ReadU8);
    ReadIfCarried(frame, 23, s.rawCount, ReadU32);
    ReadIfCarried(frame, 35, s.loopDacInUse, ReadU32);
    ReadIfCarried(frame, 39, s.temperatureCode, ReadU16);
    if (header->mode == 0) {
        ReadIfCarried(frame, 41, s.forcingValue4mA, ReadU32);
        ReadIfCarried(frame, 45, s.resultFactor, ReadF32);
        ReadIfCarried(frame, 49, s.loopFactor, ReadF32);
        ReadIfCarried(frame, 53, s.calTempCode, ReadU16);
    }
    ReadIfCarried(frame, 57, s.rangeFullScale, ReadF32);
    ReadIfCarried(frame, 61, s.zeroTempCode, ReadU16);
    return s;
}

std::optional<TAddressSetAnswer> DecodeAddressSet(std::span<const uint8_t> frame) {
    const auto header = Expect(frame, ANS_SET_MERBUS_ADDRESS);
    if (!header || !header->address) return std::nullopt;
    TAddressSetAnswer answer{*header->address, std::nullopt};
    ReadIfCarried(frame, kDataOffset, answer.requestedAddress, ReadU16);
    return answer;
}

std::optional<uint8_t> DecodeByteAnswer(std::span<const uint8_t> frame, uint8_t code) {
    if (!Expect(frame, code) || !Carries(frame, kDataOffset, 1)) return std::nullopt;
    return frame[kDataOffset];
}

std::optional<uint8_t> DecodeModBusAddress(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, ANS_MODBUS_ADDRESS);
}
std::optional<uint8_t> DecodeRange(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, ANS_RANGE);
}
std::optional<uint8_t> DecodeDefaultRange(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, ANS_DEFAULT_RANGE);
}
std::optional<uint8_t> DecodeConversions(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, ANS_CONVERSIONS);
}
std::optional<uint8_t> DecodeSvcConfig(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, ANS_SVC_CONFIG);
}
std::optional<uint8_t> DecodeRefusal(std::span<const uint8_t> frame) {
    return DecodeByteAnswer(frame, MERBUS_REFUSAL);
}

std::optional<bool> DecodeZeroingRunning(std::span<const uint8_t> frame) {
    for (const uint8_t code : {ANS_ZERO_DETECTOR, ANS_ZERO_SYSTEM, ANS_SVC_ZERO_DETECTOR})
        if (const auto running = DecodeByteAnswer(frame, code)) return *running != 0;
    return std::nullopt;
}

std::optional<uint32_t> DecodeForcingValue(std::span<const uint8_t> frame) {
    if (!Expect(frame, ANS_SET_FORCING_VALUE) || !Carries(frame, kDataOffset, 4)) return std::nullopt;
    return ReadU32(frame, kDataOffset);
}

std::optional<TCalibrationSavedAnswer> DecodeCalibrationSaved(std::span<const uint8_t> frame) {
    if (!Expect(frame, ANS_SAVE_CALIBRATION) || !Carries(frame, 20, 2)) return std::nullopt;
    return TCalibrationSavedAnswer{ReadU32(frame, 8), ReadF32(frame, 12), ReadF32(frame, 16),
                                   static_cast<int16_t>(ReadU16(frame, 20))};
}

std::optional<std::array<float, 3>> DecodeSvcReadings(std::span<const uint8_t> frame) {
    if (!Expect(frame, ANS_SVC_READINGS) || !Carries(frame, kDataOffset, 12)) return std::nullopt;
    return std::array<float, 3>{ReadF32(frame, 8), ReadF32(frame, 12), ReadF32(frame, 16)};
}

std::optional<float> DecodeSvcValue(std::span<const uint8_t> frame) {
    if (!Expect(frame, ANS_SVC_VALUE) || !Carries(frame, kDataOffset, 4)) return std::nullopt;
    return ReadF32(frame, kDataOffset);
}

bool IsAcknowledgement(std::span<const uint8_t> frame, uint8_t code) {
    return Expect(frame, code).has_value();
}

} // namespace k730
