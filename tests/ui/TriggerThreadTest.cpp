#include "main/TriggerThread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace k730 {
namespace {

using namespace std::chrono_literals;

uint32_t Now() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TEST(TriggerThreadWait, DueTicksAheadShortenThePeriodOnly) {
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 1040, 0}, 100, 0), 40u);
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 0, 1070}, 100, 0), 70u);
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 990, 1070}, 100, 0), 70u); // due tick already past
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 1000, 0}, 100, 0), 100u);
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 0, 0}, 100, 7), 93u); // start-up overrun taken off
    EXPECT_EQ(TTriggerThread::NextWait(1000, {true, 1005, 0}, 100, 7), 5u);
    // Across the wrap of the 32-bit tick.
    EXPECT_EQ(TTriggerThread::NextWait(0xFFFFFFF0u, {true, 0x10, 0}, 100, 0), 32u);
}

struct TTriggerFixture : ::testing::Test {
    std::atomic<bool> running{false};
    std::atomic<uint32_t> due{0};
    std::atomic<int> reads{0};
    std::atomic<int> posts{0};
    TTriggerThread::TRead Read() {
        return [this] {
            ++reads;
            return TTriggerState{running.load(), due.load(), 0};
        };
    }
};

TEST_F(TTriggerFixture, PostsOnlyWhilePollingRuns) {
    running = true;
    TTriggerThread thread(
        Read(), Now, [this] { ++posts; }, 10);
    ASSERT_TRUE(test::WaitFor([&] { return posts >= 3; }, 5s));
    running = false;
    const int readsThen = reads;
    ASSERT_TRUE(test::WaitFor([&] { return reads >= readsThen + 2; }, 5s));
    const int postsThen = posts;
    ASSERT_TRUE(test::WaitFor([&] { return reads >= readsThen + 5; }, 5s));
    EXPECT_LE(posts, postsThen + 1); // at most the one read before the switch
}

TEST_F(TTriggerFixture, WakeTicksAtOnceAndStopEndsAWaitAtOnce) {
    due = Now() + 600000; // the next status request is far ahead: a long wait
    auto thread = std::make_unique<TTriggerThread>(
        Read(), Now, [this] { ++posts; }, 20);
    ASSERT_TRUE(test::WaitFor([&] { return reads >= 1; }, 5s));
    EXPECT_EQ(posts, 0);
    running = true;
    thread->Wake();
    ASSERT_TRUE(test::WaitFor([&] { return posts >= 1; }, 5s));
    const auto start = std::chrono::steady_clock::now();
    thread.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

} // namespace
} // namespace k730
