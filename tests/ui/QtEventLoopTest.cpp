#include "UiTestApp.h"

#include "support/TestSupport.h"
#include "ui/QtEventLoop.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace k730 {
namespace {

using namespace std::chrono_literals;

bool Pump(const std::function<bool()>& done) {
    return test::WaitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            return done();
        },
        5s);
}

TEST(TQtEventLoop, FunctionsPostedFromAnotherThreadRunHereInOrder) {
    test::UiApp();
    TQtEventLoop loop;
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            loop.Post([&, i] {
                order.push_back(i);
                ranOn = std::this_thread::get_id();
            });
    });
    poster.join();
    EXPECT_TRUE(order.empty()); // never inside Post
    ASSERT_TRUE(Pump([&] { return order.size() == 100; }));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(TQtEventLoop, AStoppedTimerNeverTicksAgainEvenFromItsOwnTick) {
    test::UiApp();
    TQtEventLoop loop;
    int ticks = 0;
    TCommEventLoop::TTimerId id = 0;
    id = loop.StartTimer(5, [&] {
        if (++ticks == 3) loop.StopTimer(id);
    });
    EXPECT_NE(id, 0u);
    ASSERT_TRUE(Pump([&] { return ticks >= 3; }));
    const uint64_t until = loop.TickMs() + 50;
    Pump([&] { return loop.TickMs() >= until; });
    EXPECT_EQ(ticks, 3);
    loop.StopTimer(id); // unknown now: ignored
    loop.StopTimer(0);
}

TEST(TQtEventLoop, FunctionsStillQueuedWhenTheLoopGoesAreDropped) {
    test::UiApp();
    bool ran = false;
    {
        TQtEventLoop loop;
        loop.Post([&] { ran = true; });
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace k730
