#include "protocol/Crc16.h"
#include "protocol/MerBusFrames.h"
#include "protocol/ReceiveBuffer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

// Appends each block and cuts every frame that is complete after it, the way
// the connection controller drives the buffer.
std::vector<TBytes> Feed(TReceiveBuffer& buffer, const std::vector<TBytes>& blocks) {
    std::vector<TBytes> frames;
    for (const TBytes& block : blocks) {
        buffer.Append(block);
        while (const size_t length = buffer.ExtractFrame())
            frames.push_back(buffer.TakeFrame(length));
    }
    return frames;
}

const TBytes kStatusAnswer = Hex("68 0A 00 84 06 12 00 00 2A 16");
const TBytes kRangeAnswer = Hex("68 0A 00 85 06 12 00 00 01 16");

TEST(ReceiveBuffer, FrameSplitOverBlocksComesOutOnceWhole) {
    TReceiveBuffer buffer;
    for (size_t cut1 = 1; cut1 < kStatusAnswer.size(); ++cut1) {
        for (size_t cut2 = cut1; cut2 < kStatusAnswer.size(); ++cut2) {
            const TBytes a(kStatusAnswer.begin(), kStatusAnswer.begin() + cut1);
            const TBytes b(kStatusAnswer.begin() + cut1, kStatusAnswer.begin() + cut2);
            const TBytes c(kStatusAnswer.begin() + cut2, kStatusAnswer.end());
            const auto frames = Feed(buffer, {a, b, c});
            ASSERT_EQ(frames.size(), 1u) << cut1 << "/" << cut2;
            EXPECT_EQ(frames[0], kStatusAnswer);
            EXPECT_TRUE(buffer.Empty());
        }
    }
}

TEST(ReceiveBuffer, GarbageBeforeAndBetweenFramesIsDropped) {
    TReceiveBuffer buffer;
    TBytes stream = Hex("00 16 FF 01");
    stream.insert(stream.end(), kStatusAnswer.begin(), kStatusAnswer.end());
    stream.insert(stream.end(), {0x16, 0x16, 0x00});
    stream.insert(stream.end(), kRangeAnswer.begin(), kRangeAnswer.end());
    const auto frames = Feed(buffer, {stream});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], kStatusAnswer);
    EXPECT_EQ(frames[1], kRangeAnswer);
    EXPECT_TRUE(buffer.Empty());
}

TEST(ReceiveBuffer, BufferWithoutStartByteIsEmptied) {
    TReceiveBuffer buffer;
    buffer.Append(Hex("00 01 16 16 FF"));
    EXPECT_EQ(buffer.ExtractFrame(), 0u);
    EXPECT_TRUE(buffer.Empty());
}

TEST(ReceiveBuffer, ShortLengthAndWrongEndByteResumeAfterTheStartByte) {
    TReceiveBuffer buffer;
    // 68 05 00: length below 6; 68 07 00 ... 00: byte L-1 is not 0x16. The
    // second candidate's bytes contain the real frame, found one byte on.
    TBytes stream = Hex("68 05 00 68 07 00 01 02 03");
    stream.insert(stream.end(), kStatusAnswer.begin(), kStatusAnswer.end());
    const auto frames = Feed(buffer, {stream});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kStatusAnswer);
}

TEST(ReceiveBuffer, StrayStartWithHugeLengthDoesNotBlockALaterFrame) {
    TReceiveBuffer buffer;
    // The stray 68 claims 0xFFFF bytes; the answer behind it ends the block.
    TBytes garbage = Hex("01 68 FF FF 02 68 00 20");
    TBytes block2 = kStatusAnswer;
    auto frames = Feed(buffer, {garbage, block2});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kStatusAnswer);
    // Frames after it are found normally.
    frames = Feed(buffer, {kRangeAnswer});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kRangeAnswer);
}

TEST(ReceiveBuffer, StrayStartWaitsWhileTheLaterFrameIsIncomplete) {
    TReceiveBuffer buffer;
    TBytes first = Hex("68 FF FF");
    first.insert(first.end(), kStatusAnswer.begin(), kStatusAnswer.begin() + 5);
    EXPECT_TRUE(Feed(buffer, {first}).empty());
    const TBytes rest(kStatusAnswer.begin() + 5, kStatusAnswer.end());
    const auto frames = Feed(buffer, {rest});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kStatusAnswer);
}

TEST(ReceiveBuffer, ResyncPicksTheEarliestFrameEndingAtTheEnd) {
    TReceiveBuffer buffer;
    // Behind two stray starts lie two frames ending at the block's end: an
    // outer 16-byte one and an 8-byte one inside it. The outer one wins.
    const TBytes outer = Hex("68 10 00 84 06 12 00 00 68 08 00 04 06 12 00 16");
    TBytes stream = Hex("68 00 40 68 00 30");
    stream.insert(stream.end(), outer.begin(), outer.end());
    const auto frames = Feed(buffer, {stream});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], outer);
}

TEST(ReceiveBuffer, LongAnswerInBlocksEndingWithEndBytesComesOutWhole) {
    TReceiveBuffer buffer;
    TBytes data(300, 0x16);
    for (size_t i = 0; i < data.size(); i += 3)
        data[i] = static_cast<uint8_t>(i);
    for (auto& b : data)
        if (b == MERBUS_START) b = 0;
    const TBytes answer = BuildAnswer(0x81, 0x06, 0x12, 0, data);
    std::vector<TBytes> blocks;
    for (size_t at = 0; at < answer.size(); at += 14)
        blocks.emplace_back(answer.begin() + at, answer.begin() + std::min(answer.size(), at + 14));
    const auto frames = Feed(buffer, blocks);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], answer);
}

TEST(ReceiveBuffer, HostileStartsAreForgottenAsTheyAreDropped) {
    TReceiveBuffer buffer;
    // Blocks of stray starts, each pointing past the data and each block ending
    // in 0x16, so every block runs the resynchronisation; then a real answer.
    for (int i = 0; i < 3000; ++i) {
        buffer.Append(Hex("68 00 F0 68 30 75 16"));
        EXPECT_EQ(buffer.ExtractFrame(), 0u);
    }
    const auto frames = Feed(buffer, {Hex("68 FF 00 68"), kRangeAnswer});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kRangeAnswer);
}

TEST(ReceiveBuffer, MerBus2FramesAreSeparatedFromGarbage) {
    TReceiveBuffer buffer;
    TBytes header = Hex("10 0C 00 00 00 00 00 00 00 00 00 00");
    header[10] = 3; // payload length
    const uint16_t crc = Crc16(std::span<const uint8_t>(header).subspan(2, 10));
    TBytes frame = header;
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.insert(frame.end(), {0xAA, 0xBB, 0xCC, 0x11});
    TBytes stream = Hex("10 01 11 10");
    stream.insert(stream.end(), frame.begin(), frame.end());
    buffer.Append(stream);
    const size_t length = buffer.ExtractMerBus2Frame();
    ASSERT_EQ(length, frame.size());
    EXPECT_EQ(buffer.TakeFrame(length), frame);
    EXPECT_EQ(buffer.ExtractMerBus2Frame(), 0u);
}

} // namespace
} // namespace k730
