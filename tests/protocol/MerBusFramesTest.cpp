#include "protocol/Crc16.h"
#include "protocol/MerBusFrames.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>

namespace k730 {
namespace {

using test::Hex;

TEST(Crc16, KnownAnswerVectors) {
    constexpr std::string_view check = "123456789";
    const TBytes ascii(check.begin(), check.end());
    EXPECT_EQ(Crc16(ascii), 0x4B37);
    // A MODBUS read request: the CRC goes on the wire as C5 CD.
    EXPECT_EQ(Crc16(Hex("01 03 00 00 00 0A")), 0xCDC5);
    EXPECT_EQ(Crc16(TBytes{}), 0xFFFF);
    EXPECT_EQ(Crc16(ascii.data(), 4), Crc16(Hex("31 32 33 34")));
}

TEST(MerBus1Frame, WholeFrameNeedsMatchingLengthAndEndByte) {
    EXPECT_TRUE(IsWholeMerBus1Frame(Hex("68 08 00 04 06 12 00 16")));
    EXPECT_TRUE(IsWholeMerBus1Frame(Hex("68 06 00 84 06 16")));
    EXPECT_FALSE(IsWholeMerBus1Frame(Hex("68 08 00 04 06 12 00 17")));    // end byte
    EXPECT_FALSE(IsWholeMerBus1Frame(Hex("68 09 00 04 06 12 00 16")));    // length too big
    EXPECT_FALSE(IsWholeMerBus1Frame(Hex("68 08 00 04 06 12 00 16 16"))); // trailing byte
    EXPECT_FALSE(IsWholeMerBus1Frame(Hex("68 05 00 04 16")));             // below 6
    EXPECT_FALSE(IsWholeMerBus1Frame(Hex("69 08 00 04 06 12 00 16")));
    EXPECT_FALSE(IsWholeMerBus1Frame({}));
}

TEST(MerBus1Frame, BuildAnswerLaysOutTheMeterSide) {
    EXPECT_EQ(BuildAnswer(0x85, 0x06, 0x1234, 0x00, Hex("02")), Hex("68 0A 00 85 06 34 12 00 02 16"));
    EXPECT_EQ(BuildAnswer(0x8E, 0x06, 0xFFFF, 0x03, {}), Hex("68 09 00 8E 06 FF FF 03 16"));
    EXPECT_TRUE(IsWholeMerBus1Frame(BuildAnswer(0x7F, 0x06, 1, 0, Hex("0D"))));
}

// A MerBus2 frame with header size `header`, the given flags and payload; the
// payload CRC is appended when flag bit 0 is set.
TBytes MerBus2(uint8_t header, uint32_t flags, TBytes payload) {
    if (flags & MERBUS2_PAYLOAD_CRC) {
        const uint16_t crc = Crc16(payload);
        if (flags & MERBUS2_CRC_HIGH_FIRST) {
            payload.push_back(static_cast<uint8_t>(crc >> 8));
            payload.push_back(static_cast<uint8_t>(crc));
        } else {
            payload.push_back(static_cast<uint8_t>(crc));
            payload.push_back(static_cast<uint8_t>(crc >> 8));
        }
    }
    TBytes frame(header, 0x00);
    frame[0] = MERBUS2_START;
    frame[1] = header;
    for (int i = 0; i < 4; ++i)
        frame[2 + i] = static_cast<uint8_t>(flags >> (8 * i));
    frame[10] = static_cast<uint8_t>(payload.size());
    frame[11] = static_cast<uint8_t>(payload.size() >> 8);
    const uint16_t crc = Crc16(std::span<const uint8_t>(frame).subspan(2, header - 2));
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(MERBUS2_END);
    return frame;
}

TEST(MerBus2Frame, CrcFlagsAndByteOrderAreHonoured) {
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(12, 0, {})));
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(12, 0, Hex("01 02 03"))));
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(20, MERBUS2_PAYLOAD_CRC, Hex("01 02 03"))));
    EXPECT_TRUE(
        IsWholeMerBus2Frame(MerBus2(12, MERBUS2_PAYLOAD_CRC | MERBUS2_CRC_HIGH_FIRST, Hex("01 02 03"))));
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(12, MERBUS2_PAYLOAD_CRC, {}))); // P = 2: the CRC alone

    TBytes swapped = MerBus2(12, MERBUS2_PAYLOAD_CRC, Hex("01 02 04")); // CRC A3 20
    std::swap(swapped[swapped.size() - 3], swapped[swapped.size() - 2]);
    EXPECT_FALSE(IsWholeMerBus2Frame(swapped));
    TBytes badHeader = MerBus2(12, 0, Hex("01 02 03"));
    badHeader[6] ^= 1;
    EXPECT_FALSE(IsWholeMerBus2Frame(badHeader));
    TBytes badEnd = MerBus2(12, 0, Hex("01 02 03"));
    badEnd.back() = 0x16;
    EXPECT_FALSE(IsWholeMerBus2Frame(badEnd));
    TBytes smallHeader = MerBus2(12, 0, Hex("01 02 03"));
    smallHeader[1] = 11; // the header size must exceed 11
    EXPECT_FALSE(IsWholeMerBus2Frame(smallHeader));
}

TEST(MerBus2Frame, PayloadSizesAndTheSizeLimit) {
    EXPECT_FALSE(IsWholeMerBus2Frame(MerBus2(12, 0, Hex("01 02"))));                // P = 2 without CRC
    EXPECT_FALSE(IsWholeMerBus2Frame(MerBus2(12, MERBUS2_PAYLOAD_CRC, Hex("01")))); // P = 3 with CRC
    EXPECT_FALSE(IsWholeMerBus2Frame(MerBus2(12, MERBUS2_PAYLOAD_CRC, Hex("01 02"))));
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(12, MERBUS2_PAYLOAD_CRC, Hex("01 02 03"))));

    // An empty payload is accepted with the CRC flag too: it carries no CRC, and
    // none may be read from before the payload (the header CRC 21 C2 sits there).
    const TBytes emptyWithCrcFlag = Hex("10 0C 01 00 00 00 00 00 00 00 00 00 21 C2 11");
    EXPECT_TRUE(IsWholeMerBus2Frame(emptyWithCrcFlag));
    TBytes followed = emptyWithCrcFlag;
    followed.insert(followed.end(), {0x68, 0x08});
    const TMerBus2Candidate c = CheckMerBus2Candidate(followed);
    EXPECT_EQ(c.check, m2Frame);
    EXPECT_EQ(c.length, emptyWithCrcFlag.size());

    // H + P + 3 = 2048 is the largest frame; 2049 is refused.
    EXPECT_TRUE(IsWholeMerBus2Frame(MerBus2(12, 0, TBytes(2033, 0x55))));
    EXPECT_FALSE(IsWholeMerBus2Frame(MerBus2(12, 0, TBytes(2034, 0x55))));
}

} // namespace
} // namespace k730
