#include "main/MeterInfo.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace k730 {
namespace {

void PutF32(TBytes& bytes, float value) {
    const uint32_t raw = std::bit_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(raw >> (8 * i)));
}

// An identity answer frame: header, the given text area, the 18-byte trailer.
TBytes IdentityFrame(const std::string& texts, uint8_t kindByte, float r0, float r1, float r2,
                     uint16_t serial, uint16_t year) {
    TBytes frame = {0x68, 0, 0, 0x81, 0x06, 0x12, 0x00, 0x00};
    for (char c : texts)
        frame.push_back(static_cast<uint8_t>(c));
    frame.push_back(kindByte);
    PutF32(frame, r0);
    PutF32(frame, r1);
    PutF32(frame, r2);
    frame.insert(frame.end(),
                 {uint8_t(serial), uint8_t(serial >> 8), uint8_t(year), uint8_t(year >> 8), 0x16});
    frame[1] = static_cast<uint8_t>(frame.size());
    frame[2] = static_cast<uint8_t>(frame.size() >> 8);
    return frame;
}

TEST(Identity, TextsKindRangesSerialAndYear) {
    TMeterInfo stored;
    stored.DefaultRange = 2;
    stored.MerBusAddrKnown = true;
    stored.StatusKnown = true;
    stored.ConvCount = 6;
    // Windows-1250 "Łódź" and zero padding after the last text.
    constexpr char area[] = "K-730/V/2M/L1/3/A1\0MERIDOX\0"
                            "2.0.0007\0Dist \xA3\xF3"
                            "d\x9F\0\0\0";
    const std::string texts(area, sizeof area - 1);
    const TBytes frame = IdentityFrame(texts, 0x81, 2, 20, 200, 1234, 2021);
    const auto id = DecodeIdentity(frame, stored);
    ASSERT_TRUE(id);
    const TMeterInfo& info = id->Info;
    EXPECT_EQ(info.ModelDescriptor, "K-730/V/2M/L1/3/A1");
    EXPECT_EQ(info.ProducerText, "MERIDOX\r\nDist Łódź");
    EXPECT_EQ(info.FirmwareVersion, "2.0.0007");
    EXPECT_EQ(id->IdentityText, "K-730/V/2M/L1/3/A1\r\nMERIDOX\r\n2.0.0007\r\nDist Łódź");
    EXPECT_EQ(info.MeterKind, 1);
    EXPECT_EQ(info.LumMode, 1);
    EXPECT_EQ(info.RangeCount, 3);
    EXPECT_EQ(info.RangeFullScale[2], 200.0f);
    EXPECT_EQ(info.SerialNumber, 1234);
    EXPECT_EQ(info.ProductionYear, 2021);
    EXPECT_TRUE(info.NewFirmware);
    // Carried over and cleared.
    EXPECT_EQ(info.DefaultRange, 2);
    EXPECT_TRUE(info.MerBusAddrKnown);
    EXPECT_FALSE(info.StatusKnown);
    EXPECT_EQ(info.ConvCount, 0);
}

TEST(Identity, RangeCountStopsAtTheFirstValueNotPositive) {
    const TMeterInfo stored;
    auto count = [&](float a, float b, float c) {
        return DecodeIdentity(IdentityFrame(std::string("X\0", 2), 1, a, b, c, 1, 1), stored)->Info;
    };
    EXPECT_EQ(count(0, 20, 200).RangeCount, 0);
    const TMeterInfo gap = count(500, 0, 20);
    EXPECT_EQ(gap.RangeCount, 1);
    EXPECT_EQ(gap.RangeFullScale[2], 0.0f); // not a range of this meter
    EXPECT_EQ(count(10, 100, 0).RangeCount, 2);
    EXPECT_EQ(count(-1, 100, 0).RangeCount, 0);
}

TEST(Identity, ShortFramesAndLastVersionWins) {
    const TMeterInfo stored;
    EXPECT_FALSE(DecodeIdentity(TBytes(25, 0), stored));
    // No text area at all, and a last text without its terminating zero.
    const auto bare = DecodeIdentity(IdentityFrame("", 2, 1, 0, 0, 0xFFFF, 0xFFFF), stored);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->Info.ModelDescriptor, "");
    EXPECT_EQ(bare->Info.SerialNumber, 0xFFFF);
    const auto two = DecodeIdentity(IdentityFrame(std::string("D\0"
                                                              "1.0\0"
                                                              "2.5",
                                                              10),
                                                  2, 1, 0, 0, 1, 1),
                                    stored);
    EXPECT_EQ(two->Info.FirmwareVersion, "2.5");
    EXPECT_TRUE(two->Info.NewFirmware);
}

TEST(MeterInfo, SameComparesEveryFieldBytewise) {
    TMeterInfo a;
    a.ModelDescriptor = "K-730";
    a.RangeFullScale[0] = 2000;
    TMeterInfo b;
    CopyMeterInfo(a, b);
    EXPECT_TRUE(SameMeterInfo(a, b));
    b.ModelDescriptor = "k-730";
    EXPECT_FALSE(SameMeterInfo(a, b));
    CopyMeterInfo(a, b);
    b.CalTempReserved = 1;
    EXPECT_FALSE(SameMeterInfo(a, b));
    CopyMeterInfo(a, b);
    b.ResultFactor = -0.0f; // equal as numbers, not as bytes
    EXPECT_FALSE(SameMeterInfo(a, b));
    EXPECT_FALSE(RangesDiffer(a, b));
    b.RangeFullScale[0] = 2000.001f;
    EXPECT_TRUE(RangesDiffer(a, b));
    ClearMeterInfo(b);
    EXPECT_TRUE(SameMeterInfo(b, TMeterInfo{}));
}

} // namespace
} // namespace k730
