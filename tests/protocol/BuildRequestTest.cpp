#include "protocol/MerBusFun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

TEST(BuildRequest, StatusRequestIsEightBytes) {
    EXPECT_EQ(BuildRequest(CMD_STATUS, 0x0012, {}, false), Hex("68 08 00 04 06 12 00 16"));
}

TEST(BuildRequest, ServiceReadCarriesAccessCode) {
    EXPECT_EQ(BuildRequest(CMD_SVC_CONFIG, 0x0012, {}, true), Hex("68 0A 00 60 06 12 00 4B D3 16"));
}

TEST(BuildRequest, DataFollowsHeaderAndLengthCountsAll) {
    const TBytes data = {0x34, 0x12};
    EXPECT_EQ(BuildRequest(CMD_SET_MERBUS_ADDRESS, 0xFFFF, data, false),
              Hex("68 0A 00 02 06 FF FF 34 12 16"));
}

} // namespace
} // namespace k730
