// Hand-typed requests: what the raw page's number syntax makes of typed text,
// that a row yields a well-formed request or nothing, and how the answer to
// the request in flight is recognised.
#include "service/RawCommand.h"

#include "protocol/MerBusFrames.h"
#include "protocol/RequestScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k730 {
namespace {

struct TDataCase {
    const char* text;
    std::optional<TBytes> bytes;
};

class RawData : public ::testing::TestWithParam<TDataCase> {};

TEST_P(RawData, ReadsWordsBeforeBytesLeastSignificantFirst) {
    EXPECT_EQ(ParseRawData(GetParam().text), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, RawData,
    ::testing::Values(TDataCase{"0x12345678 0x9A", TBytes{0x78, 0x56, 0x34, 0x12, 0x9A}},
                      TDataCase{"0x123456",
                                TBytes{0x34, 0x12, 0x56}}, // a word cut after four digits, then a byte
                      TDataCase{"1 2 3", TBytes{0x01, 0x02, 0x03}}, TDataCase{"G1", std::nullopt},
                      TDataCase{"0x0x0xAB", TBytes{0xAB}},               // repeated prefixes skipped
                      TDataCase{"0x12340x56", TBytes{0x34, 0x12, 0x56}}, // a token ends where "0x" begins
                      TDataCase{"0x1234567890", TBytes{0x78, 0x56, 0x34, 0x12, 0x90}},
                      TDataCase{"  ab\tF  ", TBytes{0xAB, 0x0F}}, TDataCase{"", TBytes{}},
                      TDataCase{"123", std::nullopt}, // three digits are no byte and no word
                      TDataCase{"0x", std::nullopt}, TDataCase{"12 zz 34", std::nullopt},
                      TDataCase{"0x12345", TBytes{0x34, 0x12, 0x05}}));

TEST(RawAddress, IsPaddedToFourDigits) {
    EXPECT_EQ(ParseRawAddress("12"), 0x0012);
    EXPECT_EQ(ParseRawAddress("123"), 0x0123);
    EXPECT_EQ(ParseRawAddress(""), 0x0000);
    EXPECT_EQ(ParseRawAddress("0xFFFF"), 0xFFFF);
    EXPECT_EQ(ParseRawAddress("0x12 0x34"), 0x3412) << "two bytes, low byte first";
    EXPECT_EQ(ParseRawAddress("12345"), std::nullopt);
    EXPECT_EQ(ParseRawAddress("xyz"), std::nullopt);
}

TEST(RawCommand, RowBuildsOneTypeZeroItemTheSchedulerTurnsIntoAFrame) {
    const TRawRequest r = RawCommandRequest("12", "4", "");
    ASSERT_EQ(r.error, reOk);
    EXPECT_EQ(r.item.bytes, (TBytes{0x00, 0x04, 0x12, 0x00}));
    const auto frame = TRequestScheduler::RequestForItem(r.item.bytes, 0xFFFF);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(IsWholeMerBus1Frame(*frame));
    EXPECT_EQ((*frame)[3], 0x04);

    const TRawRequest withData = RawCommandRequest("0x0001", "0x0B", "0x00004000");
    ASSERT_EQ(withData.error, reOk);
    EXPECT_EQ(withData.item.bytes, (TBytes{0x00, 0x0B, 0x01, 0x00, 0x00, 0x40, 0x00, 0x00}));
}

TEST(RawCommand, BadInputSendsNothing) {
    EXPECT_EQ(RawCommandRequest("zz", "4", "").error, reAddress);
    EXPECT_EQ(RawCommandRequest("1", "", "").error, reCommand);
    EXPECT_EQ(RawCommandRequest("1", "0", "").error, reCommand)
        << "0 would turn the row into a prebuilt frame";
    EXPECT_EQ(RawCommandRequest("1", "84", "").error, reCommand) << "answer codes are not requests";
    EXPECT_EQ(RawCommandRequest("1", "4", "G1").error, reData);
    std::string tooMuch;
    for (int i = 0; i < 0x4000; ++i)
        tooMuch += "0x00000000 ";
    EXPECT_EQ(RawCommandRequest("1", "4", tooMuch).error, reTooLong);
}

TEST(RawCommand, BufferRowMustHoldOneWholeRequestFrame) {
    const TBytes status = BuildRequest(0x04, 0x0001, {}, false);
    const TRawRequest r = RawFrameRequest(HexBytesText(status));
    ASSERT_EQ(r.error, reOk);
    EXPECT_EQ(r.command, 0x04);
    EXPECT_EQ(TRequestScheduler::RequestForItem(r.item.bytes, 0xFFFF), status);

    TBytes broken = status;
    broken.back() ^= 0xFF;
    EXPECT_EQ(RawFrameRequest(HexBytesText(broken)).error, reNotFrame);
    EXPECT_EQ(RawFrameRequest(HexBytesText(TBytes(status.begin(), status.end() - 1))).error, reNotFrame);
    EXPECT_EQ(RawFrameRequest("").error, reNotFrame);
    EXPECT_EQ(RawFrameRequest("68 xx").error, reData);
}

TBytes Answer(uint8_t code, TBytes data) {
    // start, length, code, executed, address, mode, data, end
    TBytes f(8 + data.size() + 1, 0);
    f[0] = 0x68;
    f[3] = code;
    f[4] = 0x06;
    f[5] = 0x01;
    std::copy(data.begin(), data.end(), f.begin() + 8);
    f.back() = 0x16;
    f[1] = static_cast<uint8_t>(f.size());
    return f;
}

TEST(RawExchange, FollowsTheRequestToItsAnswer) {
    TRawExchange x;
    EXPECT_EQ(x.State(), rsIdle);
    x.Sent(0x04, {1, 2, 3});
    EXPECT_EQ(x.State(), rsWaiting);
    EXPECT_FALSE(x.Frame(Answer(0x8A, {}))) << "another command's answer is not ours";
    EXPECT_TRUE(x.Frame(Answer(0x84, {0})));
    EXPECT_EQ(x.State(), rsAnswered);
    EXPECT_FALSE(x.Frame(Answer(0x84, {0}))) << "only the first answer counts";

    x.Sent(0x60, {});
    EXPECT_TRUE(x.Frame(Answer(MERBUS_REFUSAL, {0x60})));
    EXPECT_EQ(x.State(), rsRefused);
    EXPECT_EQ(x.StatusText(), "Miernik odrzucił polecenie 0x60.");

    x.Sent(0x05, {});
    x.NoAnswer();
    EXPECT_EQ(x.State(), rsNoAnswer);
    x.Invalid(reData);
    EXPECT_EQ(x.StatusText(), "Nie wysłano: błędne dane.");
    EXPECT_TRUE(x.SentFrame().empty()) << "no earlier frame is shown as if just sent";
}

} // namespace
} // namespace k730
