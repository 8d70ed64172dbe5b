// The pacing thread: it ticks on its own, at once when triggered, and ends
// at once when stopped.
#include "history/HistMeasThread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace k730 {
namespace {

using namespace std::chrono_literals;

uint32_t SteadyMs() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

TEST(HistMeasThread, TicksOnItsOwnAndFasterWhenTriggered) {
    std::atomic<int> ticks{0};
    std::atomic<int> periodReads{0};
    THistMeasThread thread([&] { return ++periodReads % 2 == 0; }, SteadyMs, [&] { ++ticks; });
    EXPECT_TRUE(test::WaitFor([&] { return ticks >= 3; }, 3s));
    EXPECT_GE(periodReads, 3) << "the period is read again every round";

    // Triggered every few milliseconds it no longer waits out its period.
    const int before = ticks;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 300ms) {
        thread.Trigger();
        std::this_thread::sleep_for(2ms); // the trigger's own pace, not a wait for the thread
    }
    EXPECT_GT(ticks - before, 10) << "300 ms of its 144/160 ms period would give 2 or 3";
}

TEST(HistMeasThread, StopEndsItInTheMiddleOfAWait) {
    std::atomic<int> ticks{0};
    const auto start = std::chrono::steady_clock::now();
    {
        THistMeasThread thread([] { return false; }, SteadyMs, [&] { ++ticks; });
        thread.Stop();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 150ms) << "not even the first 160 ms were waited";
    EXPECT_EQ(ticks, 0);
}

} // namespace
} // namespace k730
