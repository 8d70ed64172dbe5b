#include "protocol/MerBusFun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

TEST(BuildRequest, DataFollowsHeaderAndLengthCountsAll) {
    const TBytes data = {0x34, 0x12};
    EXPECT_EQ(BuildRequest(CMD_SET_MERBUS_ADDRESS, 0xFFFF, data, false),
              Hex("68 0A 00 02 06 FF FF 34 12 16"));
}

TEST(BuildRequest, LongestDataStillFitsTheLengthField) {
    const TBytes most(0xFFFF - 10, 0x55);
    const TBytes frame = BuildRequest(CMD_SVC_DESCRIPTOR, 1, most, true);
    ASSERT_EQ(frame.size(), 0xFFFFu);
    EXPECT_EQ(frame[1], 0xFF);
    EXPECT_EQ(frame[2], 0xFF);
    const TBytes tooMuch(0xFFFF - 9, 0x55);
    EXPECT_TRUE(BuildRequest(CMD_SVC_DESCRIPTOR, 1, tooMuch, true).empty());
    EXPECT_EQ(BuildRequest(CMD_STATUS, 1, tooMuch, false).size(), 0xFFFEu);
}

} // namespace
} // namespace k730
