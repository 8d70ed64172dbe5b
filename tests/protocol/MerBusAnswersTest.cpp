#include "protocol/ByteOrder.h"
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusFrames.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>

namespace k730 {
namespace {

using test::Hex;
using namespace std::string_view_literals;

TBytes Text(std::string_view text) {
    return TBytes(text.begin(), text.end());
}

// Identity data: texts, kind byte, three ranges, serial number and year.
TBytes IdentityData(std::string_view texts, uint8_t kind, std::array<float, 3> ranges, uint16_t serial,
                    uint16_t year) {
    TBytes data = Text(texts);
    data.push_back(kind);
    for (const float r : ranges)
        AppendF32(data, r);
    AppendU16(data, serial);
    AppendU16(data, year);
    return data;
}

TEST(AnswerHeader, StatusAddressModeAndCommand) {
    const auto h = DecodeAnswerHeader(Hex("68 0A 00 85 06 34 12 03 01 16"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->command, 5);
    EXPECT_EQ(h->address, 0x1234);
    EXPECT_EQ(h->mode, 3);
    EXPECT_TRUE(h->IsExecuted());

    const auto refusal = AcceptAnswer(Hex("68 0A 00 7F 06 34 12 00 0D 16"));
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->IsRefusal());
    EXPECT_EQ(refusal->command, 13);
    EXPECT_EQ(DecodeRefusal(Hex("68 0A 00 7F 06 34 12 00 0D 16")), 13);

    // A short frame has neither address nor mode; one of 7 bytes has no mode.
    const auto six = DecodeAnswerHeader(Hex("68 06 00 84 06 16"));
    ASSERT_TRUE(six);
    EXPECT_FALSE(six->address);
    EXPECT_FALSE(six->mode);
    EXPECT_FALSE(DecodeAnswerHeader(Hex("68 07 00 84 06 12 16"))->mode);
}

TEST(AnswerHeader, OtherStatusOrBrokenFrameIsNotAccepted) {
    const TBytes notExecuted = Hex("68 0A 00 85 06 34 12 00 01 16");
    TBytes refused = notExecuted;
    refused[4] = 0x15;
    EXPECT_TRUE(DecodeAnswerHeader(refused));
    EXPECT_FALSE(AcceptAnswer(refused));
    EXPECT_FALSE(DecodeRange(refused));
    EXPECT_FALSE(DecodeRange(Hex("68 0A 00 85 06 34 12 00 01")));    // cut off
    EXPECT_FALSE(DecodeRange(Hex("68 0A 00 86 06 34 12 00 01 16"))); // other answer
    EXPECT_EQ(DecodeRange(notExecuted), 1);
}

TEST(IdentityAnswer, TextsTrailerAndRangeCount) {
    const TBytes data = IdentityData("K-730/V/2M/L1/3/A1\0MERIDOX\0"
                                     "2.0.0005\0Serwis\0"sv,
                                     0x81, {10.0f, 100.0f, 0.0f}, 1234, 2023);
    const auto id = DecodeIdentity(BuildAnswer(0x81, 0x06, 0x0012, 0, data));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->address, 0x0012);
    EXPECT_EQ(id->descriptor, "K-730/V/2M/L1/3/A1");
    EXPECT_EQ(id->firmwareVersion, "2.0.0005");
    EXPECT_EQ(id->producerLines, (std::vector<std::string>{"MERIDOX", "Serwis"}));
    EXPECT_EQ(id->IdentityTextUtf8(), "K-730/V/2M/L1/3/A1\r\nMERIDOX\r\n2.0.0005\r\nSerwis");
    EXPECT_EQ(id->MeterKind(), 1);
    EXPECT_TRUE(id->LumMode());
    EXPECT_EQ(id->rangeCount, 2);
    EXPECT_EQ(id->rangeFullScale[1], 100.0f);
    EXPECT_EQ(id->serialNumber, 1234);
    EXPECT_EQ(id->productionYear, 2023);
}

TEST(IdentityAnswer, RangeCountStopsAtTheFirstValueNotAboveZero) {
    auto count = [](std::array<float, 3> ranges) {
        return DecodeIdentity(BuildAnswer(0x81, 0x06, 1, 0, IdentityData("X", 1, ranges, 0xFFFF, 0xFFFF)))
            ->rangeCount;
    };
    EXPECT_EQ(count({500.0f, 0.0f, 20.0f}), 1);
    EXPECT_EQ(count({0.0f, 10.0f, 20.0f}), 0);
    EXPECT_EQ(count({-1.0f, 10.0f, 20.0f}), 0);
    EXPECT_EQ(count({1.0f, 2.0f, 3.0f}), 3);
}

TEST(IdentityAnswer, LastVersionWinsAndUnterminatedTextEnds) {
    const TBytes data = IdentityData("D\0"
                                     "1.0\0\0P\xB9\0"
                                     "2.1"sv,
                                     2, {1, 0, 0}, 1, 2);
    const auto id = DecodeIdentity(BuildAnswer(0x81, 0x06, 1, 0, data));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->firmwareVersion, "2.1");
    ASSERT_EQ(id->producerLines.size(), 1u);
    EXPECT_EQ(id->ProducerTextUtf8(), "P\xC4\x85"); // Windows-1250 0xB9 is a with ogonek
}

TEST(IdentityAnswer, TooShortForItsTrailerIsRejected) {
    // 25 bytes: one short of the header, the 18-byte trailer and the end byte.
    TBytes data(16, 0);
    EXPECT_FALSE(DecodeIdentity(BuildAnswer(0x81, 0x06, 1, 0, data)));
    data.push_back(0);
    const auto id = DecodeIdentity(BuildAnswer(0x81, 0x06, 1, 0, data));
    ASSERT_TRUE(id);
    ASSERT_EQ(id->texts.size(), 0u);
    EXPECT_EQ(id->descriptor, "");
}

TBytes StatusData(size_t size) {
    TBytes data(size, 0);
    auto put32 = [&](size_t frameOffset, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            if (frameOffset - 8 + i < data.size())
                data[frameOffset - 8 + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    if (size > 0) data[0] = 0x41; // flags: overrange, loop on
    put32(9, 0x41200000);         // 10.0
    put32(23, 0xFFFFFFFE);        // raw count -2
    put32(39, 0x0000021C);        // temperature code 540
    put32(41, 0x00001234);        // 4 mA forcing value
    put32(53, 0x0000FFF6);        // calibration temperature code -10
    put32(57, 0x42C80000);        // 100.0
    put32(61, 0x0000FFFF);        // never zeroed
    return data;
}

TEST(StatusAnswer, FullAnswerInNormalMode) {
    const auto s = DecodeStatus(BuildAnswer(0x84, 0x06, 0x12, 0, StatusData(55)));
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->IsDisplayable());
    EXPECT_EQ(s->flags, 0x41);
    EXPECT_EQ(s->value, 10.0f);
    EXPECT_EQ(s->rawCount, -2);
    EXPECT_EQ(s->temperatureCode, 540);
    EXPECT_EQ(s->forcingValue4mA, 0x1234u);
    EXPECT_EQ(s->calTempCode, -10);
    EXPECT_EQ(s->rangeFullScale, 100.0f);
    EXPECT_EQ(s->zeroTempCode, 0xFFFF);
}

TEST(StatusAnswer, CalibrationFieldsOnlyInNormalMode) {
    const auto s = DecodeStatus(BuildAnswer(0x84, 0x06, 0x12, 1, StatusData(55)));
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->forcingValue4mA);
    EXPECT_FALSE(s->resultFactor);
    EXPECT_FALSE(s->calTempCode);
    EXPECT_EQ(s->temperatureCode, 540);
    EXPECT_EQ(s->zeroTempCode, 0xFFFF);
}

TEST(StatusAnswer, ShortAnswersLeaveUncarriedFieldsUnread) {
    // 55 frame bytes: too short for the display; the last fields reach the end byte.
    const auto s = DecodeStatus(BuildAnswer(0x84, 0x06, 0x12, 0, StatusData(46)));
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->IsDisplayable());
    EXPECT_EQ(s->temperatureCode, 540);
    EXPECT_TRUE(s->resultFactor);
    EXPECT_TRUE(s->loopFactor);
    EXPECT_FALSE(s->calTempCode); // 53..54 would reach the end byte at 54
    EXPECT_FALSE(s->rangeFullScale);

    const auto bare = DecodeStatus(BuildAnswer(0x84, 0x06, 0x12, 0, {}));
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->flags);
    EXPECT_FALSE(bare->value);

    const auto reset = DecodeStatus(BuildAnswer(0x84, 0x06, 0x12, 0, Hex("FF 00")));
    ASSERT_TRUE(reset);
    EXPECT_TRUE(reset->IsDeviceReset());
    EXPECT_FALSE(reset->value);
}

TEST(SmallAnswers, FieldsAndShortFrames) {
    const auto set = DecodeAddressSet(Hex("68 0B 00 82 06 05 00 00 03 00 16"));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->address, 5);
    EXPECT_EQ(set->requestedAddress, 3);
    EXPECT_FALSE(DecodeAddressSet(Hex("68 0A 00 82 06 05 00 00 03 16"))->requestedAddress);

    EXPECT_EQ(DecodeModBusAddress(Hex("68 0A 00 83 06 05 00 00 F7 16")), 247);
    EXPECT_FALSE(DecodeModBusAddress(Hex("68 09 00 83 06 05 00 00 16")));
    EXPECT_EQ(DecodeConversions(Hex("68 0A 00 87 06 05 00 00 08 16")), 8);
    EXPECT_EQ(DecodeDefaultRange(Hex("68 0A 00 86 06 05 00 00 02 16")), 2);
    EXPECT_EQ(DecodeSvcConfig(Hex("68 0A 00 E0 06 05 00 00 2A 16")), 0x2A);

    EXPECT_EQ(DecodeZeroingRunning(Hex("68 0A 00 88 06 05 00 00 01 16")), true);
    EXPECT_EQ(DecodeZeroingRunning(Hex("68 0A 00 89 06 05 00 00 00 16")), false);
    EXPECT_EQ(DecodeZeroingRunning(Hex("68 0A 00 E8 06 05 00 00 07 16")), true);
    EXPECT_FALSE(DecodeZeroingRunning(Hex("68 0A 00 87 06 05 00 00 01 16")));

    EXPECT_EQ(DecodeForcingValue(Hex("68 0D 00 8B 06 05 00 03 78 56 34 12 16")), 0x12345678u);
    EXPECT_FALSE(DecodeForcingValue(Hex("68 0C 00 8B 06 05 00 03 78 56 34 16")));
    EXPECT_EQ(DecodeSvcValue(Hex("68 0D 00 E9 06 05 00 00 00 00 80 3F 16")), 1.0f);

    const auto readings =
        DecodeSvcReadings(BuildAnswer(0xE7, 0x06, 5, 0, Hex("00 00 80 3F 00 00 00 40 00 00 40 40")));
    ASSERT_TRUE(readings);
    EXPECT_EQ((*readings)[2], 3.0f);
    EXPECT_FALSE(DecodeSvcReadings(BuildAnswer(0xE7, 0x06, 5, 0, Hex("00 00 80 3F 00 00 00 40 00 00 40"))));

    EXPECT_TRUE(IsAcknowledgement(BuildAnswer(0x8E, 0x06, 5, 0, {}), ANS_STORE_ZERO));
    EXPECT_FALSE(IsAcknowledgement(BuildAnswer(0x8E, 0x07, 5, 0, {}), ANS_STORE_ZERO));
}

TEST(SmallAnswers, CalibrationSaved) {
    const auto saved = DecodeCalibrationSaved(
        BuildAnswer(0x8D, 0x06, 5, 0, Hex("44 33 22 11 00 00 80 3F 00 00 00 C0 F6 FF")));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->forcingValue4mA, 0x11223344u);
    EXPECT_EQ(saved->resultFactor, 1.0f);
    EXPECT_EQ(saved->loopFactor, -2.0f);
    EXPECT_EQ(saved->calTempCode, -10);
    EXPECT_FALSE(
        DecodeCalibrationSaved(BuildAnswer(0x8D, 0x06, 5, 0, Hex("44 33 22 11 00 00 80 3F 00 00 00 C0 F6"))));
}

} // namespace
} // namespace k730
