// The trigger thread's pacing.
#include "main/TriggerPacing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

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
