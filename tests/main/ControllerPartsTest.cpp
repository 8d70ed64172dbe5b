// The controller's receive buffer, its answer readers and the trigger pacing.
#include "main/AnswerFields.h"
#include "main/ControllerFakes.h"
#include "main/ReceiveFrames.h"
#include "main/TriggerPacing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

std::vector<TBytes> TakeAll(TReceiveFrames& rx) {
    std::vector<TBytes> frames;
    while (auto f = rx.TakeNextFrame())
        frames.push_back(*f);
    return frames;
}

TEST(ReceiveFrames, StrayStartWithLongLengthDoesNotHoldBackALaterFrame) {
    TReceiveFrames rx;
    // 68 with length 0x0400 in the garbage, then a whole 8-byte frame.
    rx.Append(Hex("68 00 04 01 68 08 00 84 06 03 00 16"));
    const auto frames = TakeAll(rx);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], Hex("68 08 00 84 06 03 00 16"));
    EXPECT_TRUE(rx.Empty());
}

TEST(ReceiveFrames, BadEndByteShortLengthAndNoStartAreSkipped) {
    TReceiveFrames rx;
    rx.Append(Hex("68 08 00 84 06 03 00 17 68 02 00 68 08 00 85 06 03 00 16"));
    const auto frames = TakeAll(rx);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][3], 0x85);
    rx.Append(Hex("01 02 03"));
    EXPECT_EQ(rx.ExtractFrame(), 0u);
    EXPECT_TRUE(rx.Empty());
}

TEST(ReceiveFrames, FrameSplitAcrossManyBlocksArrivesOnce) {
    TReceiveFrames rx;
    const TBytes frame = test::StatusAnswer(3, 0);
    for (size_t i = 0; i + 1 < frame.size(); ++i) {
        rx.Append({frame[i]});
        ASSERT_FALSE(rx.TakeNextFrame()) << i;
    }
    rx.Append({frame.back()});
    EXPECT_EQ(rx.TakeNextFrame(), frame);
}

TEST(AnswerFields, ShortAnswersAreNotRead) {
    TBytes status = test::StatusAnswer(3, 0);
    status.resize(55);
    EXPECT_FALSE(ReadStatusAnswer(status));
    // A 56-byte status has no full scale and no zeroing temperature.
    status.resize(56);
    const auto r = ReadStatusAnswer(status);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->hasFullScale);
    EXPECT_FALSE(r->hasZeroTempCode);
    EXPECT_FALSE(ReadIdentityAnswer(test::AnswerFrame(0x81, 3, 0, TBytes(16, 0))));
    EXPECT_TRUE(ReadIdentityAnswer(test::AnswerFrame(0x81, 3, 0, TBytes(17, 0))));
    EXPECT_FALSE(ReadCalibrationSaved(test::AnswerFrame(0x8D, 3, 0, TBytes(13, 0))));
}

TEST(AnswerFields, IdentityTextsAndTrailer) {
    const auto id = ReadIdentityAnswer(test::IdentityAnswer(3, 10, 100, 0));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->texts, (std::vector<std::string>{"K-730/V/2M/L1/3/A1", "2.0.0005", "MERIDOX"}));
    EXPECT_EQ(id->kindByte, 1);
    EXPECT_FLOAT_EQ(id->ranges[1], 100);
    EXPECT_EQ(id->serialNumber, 12345);
    EXPECT_EQ(id->productionYear, 2026);
}

TEST(TriggerPacing, WaitsForTheNearerDueTick) {
    EXPECT_EQ(TriggerNextWait(1000, 1037, 0, 100, 0), 37u);
    EXPECT_EQ(TriggerNextWait(1000, 900, 1250, 100, 0), 250u); // due passed: the alternate
    EXPECT_EQ(TriggerNextWait(1000, 0, 0, 100, 0), 100u);
    EXPECT_EQ(TriggerNextWait(1000, 0, 0, 100, 12), 88u);   // start-up overrun taken off
    EXPECT_EQ(TriggerNextWait(1000, 1005, 0, 100, 12), 5u); // but not below nothing
    EXPECT_EQ(TriggerFirstWait(100, 30), 70u);
    EXPECT_EQ(TriggerFirstWait(100, 130), 100u);
    EXPECT_FALSE(TriggerShouldPost(false, 0));
    EXPECT_TRUE(TriggerShouldPost(false, 5));
}

} // namespace
} // namespace k730
