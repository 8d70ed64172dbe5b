// The connection controller end to end: the real serial component on the
// plain event loop, a trigger thread paced like the program's, and k730-sim
// on a pseudo-terminal registered as a virtual port.
#include "comm/Comm32KX.h"
#include "comm/PlainEventLoop.h"
#include "main/CommMeterPort.h"
#include "main/MeterController.h"
#include "main/TriggerPacing.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The program's trigger thread in miniature: waits as the pacing says and
// posts a tick to the loop while polling runs.
class TTestTrigger {
public:
    TTestTrigger(TPlainEventLoop& loop, TMeterController& ctl) : loop_(loop), ctl_(ctl) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TTestTrigger() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void Wake() {
        {
            std::lock_guard lock(mutex_);
            wake_ = true;
        }
        cv_.notify_all();
    }

private:
    void Run() {
        const TTriggerShared& shared = ctl_.Trigger();
        uint32_t wait = TRIGGER_PERIOD_MS;
        for (;;) {
            std::unique_lock lock(mutex_);
            cv_.wait_for(lock, std::chrono::milliseconds(wait), [&] { return stop_ || wake_; });
            if (stop_) return;
            wake_ = false;
            lock.unlock();
            if (TriggerShouldPost(shared.running, shared.statusAltDueTick))
                loop_.Post([this] { ctl_.OnTick(static_cast<uint32_t>(loop_.TickMs())); });
            wait = TriggerNextWait(static_cast<uint32_t>(loop_.TickMs()), shared.statusDueTick,
                                   shared.statusAltDueTick, TRIGGER_PERIOD_MS, 0);
        }
    }

    TPlainEventLoop& loop_;
    TMeterController& ctl_;
    std::mutex mutex_; // guards stop_ and wake_
    std::condition_variable cv_;
    bool stop_ = false;
    bool wake_ = false;
    std::thread thread_;
};

// What goes out, with its tick, and what the window would be shown.
class TSimHooks : public TControllerHooks {
public:
    std::vector<std::pair<uint64_t, uint8_t>> statusShown; // tick, flags
    std::vector<std::string> comStatus;
    TTestTrigger* trigger = nullptr;
    TPlainEventLoop* loop = nullptr;

    std::vector<int64_t> shownWallMs;
    void ShowStatus(const TMeterInfo& info, const TStatusAnswer&) override {
        statusShown.emplace_back(loop->TickMs(), info.StatusFlags);
        shownWallMs.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count());
    }
    void ShowComStatus(const std::string& text, bool) override { comStatus.push_back(text); }
    void WakeTrigger() override {
        if (trigger) trigger->Wake();
    }
    void Pause(uint32_t ms) override { loop->RunFor(std::chrono::milliseconds(ms)); }
};

class TRecordingCommPort : public TCommMeterPort {
public:
    TRecordingCommPort(TComm32KX& comm, TPlainEventLoop& loop) : TCommMeterPort(comm), loop_(loop) {}
    std::vector<std::pair<uint64_t, TBytes>> sent;
    bool Send(const TBytes& frame, bool waitForAnswer) override {
        sent.emplace_back(loop_.TickMs(), frame);
        return TCommMeterPort::Send(frame, waitForAnswer);
    }

private:
    TPlainEventLoop& loop_;
};

class ControllerSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("k730-ctl-sim-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "ports");
        setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    }
    void TearDown() override {
        trigger.reset();
        ctl.reset();
        port.reset();
        comm.reset();
        sim.reset();
        fs::remove_all(dir);
    }

    void StartSim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--name", "SIM1"});
        sim = std::make_unique<test::TSimProcess>(dir / "ports");
        ASSERT_TRUE(sim->Start(args)) << sim->Output();
    }

    // The program's start: component, controller, trigger; SIM1 chosen.
    void StartProgram() {
        comm = std::make_unique<TComm32KX>(loop, langEnglish);
        SetUpMainComm(*comm);
        port = std::make_unique<TRecordingCommPort>(*comm, loop);
        hooks.loop = &loop;
        ctl = std::make_unique<TMeterController>(*port, hooks,
                                                 TControllerConfig{langEnglish, ',', "", true, true, 1000});
        ConnectController(*comm, loop, *ctl);
        ctl->Start(Now());
        trigger = std::make_unique<TTestTrigger>(loop, *ctl);
        hooks.trigger = trigger.get();
        const auto& items = ctl->PortItems();
        const auto it = std::find(items.begin(), items.end(), "SIM1");
        ASSERT_NE(it, items.end());
        ctl->ChoosePort(static_cast<int>(it - items.begin()), Now());
    }

    uint32_t Now() const { return static_cast<uint32_t>(loop.TickMs()); }

    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        return loop.RunUntil(done, timeout);
    }

    std::vector<uint8_t> SentCommands(size_t from = 0) const {
        std::vector<uint8_t> commands;
        for (size_t i = from; i < port->sent.size(); ++i)
            commands.push_back(port->sent[i].second[3]);
        return commands;
    }

    size_t StatusRequests() const {
        const auto c = SentCommands();
        return static_cast<size_t>(std::count(c.begin(), c.end(), CMD_STATUS));
    }

    fs::path dir;
    TPlainEventLoop loop;
    std::unique_ptr<test::TSimProcess> sim;
    std::unique_ptr<TComm32KX> comm;
    std::unique_ptr<TRecordingCommPort> port;
    TSimHooks hooks;
    std::unique_ptr<TMeterController> ctl;
    std::unique_ptr<TTestTrigger> trigger;
};

TEST_F(ControllerSimTest, ChosenPortIsIdentifiedAndPolled) {
    StartSim({"--address", "0012", "--serial", "4321", "--conversions", "1"});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return hooks.statusShown.size() >= 3; }, 5s));
    const auto commands = SentCommands();
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(std::vector<uint8_t>(commands.begin(), commands.begin() + 6),
              (std::vector<uint8_t>{CMD_IDENTIFY, CMD_RANGE, CMD_DEFAULT_RANGE, CMD_MODBUS_ADDRESS,
                                    CMD_CONVERSIONS, CMD_STATUS}));
    EXPECT_EQ(port->sent[0].second, BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false));
    EXPECT_EQ(port->sent[1].second, BuildRequest(CMD_RANGE, 0x0012, {}, false));
    EXPECT_EQ(ctl->State(), stIdentified);
    EXPECT_EQ(ctl->Info().SerialNumber, 4321);
    EXPECT_EQ(ctl->Info().ConvCount, 1);
    // The first status answer after power-on reports the reset.
    EXPECT_EQ(hooks.statusShown.front().second, 0xFF);
    EXPECT_NE(hooks.statusShown.back().second, 0xFF);
}

TEST_F(ControllerSimTest, StatusRequestsKeepTheirPeriod) {
    StartSim({"--conversions", "2"});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return hooks.statusShown.size() >= 2; }, 5s));
    const size_t from = port->sent.size();
    loop.RunFor(3200ms);
    std::vector<uint64_t> ticks;
    for (size_t i = from; i < port->sent.size(); ++i)
        if (port->sent[i].second[3] == CMD_STATUS) ticks.push_back(port->sent[i].first);
    ASSERT_GE(ticks.size(), 8u);
    // Two conversions: one status request every 320 ms, on a fixed grid.
    const double mean =
        static_cast<double>(ticks.back() - ticks.front()) / static_cast<double>(ticks.size() - 1);
    EXPECT_NEAR(mean, 320.0, 3.2);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NEAR(static_cast<double>(ticks[i] - ticks[i - 1]), 320.0, 80.0)
            << i; // one late tick on a busy machine
}

TEST_F(ControllerSimTest, SilentMeterIsIdentifiedAgainAndTheReadingReturns) {
    StartSim({"--conversions", "1"});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return ctl->State() == stIdentified && hooks.statusShown.size() >= 2; }, 5s));
    EXPECT_EQ(sim->Control("fault stop 0").substr(0, 2), "ok");
    const size_t sentBefore = port->sent.size();
    ASSERT_TRUE(RunUntil([&] { return ctl->State() == stIdentifying; }, 4s));
    const auto after = SentCommands(sentBefore);
    EXPECT_EQ(after.back(), CMD_IDENTIFY);
    EXPECT_EQ(port->sent.back().second, BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false));
    EXPECT_TRUE(RunUntil(
        [&] { return !hooks.comStatus.empty() && hooks.comStatus.back() == "Communication lost"; }, 4s));
    sim->Control("fault none");
    const size_t shown = hooks.statusShown.size();
    EXPECT_TRUE(RunUntil([&] { return hooks.statusShown.size() > shown + 1; }, 6s));
    EXPECT_EQ(ctl->State(), stIdentified);
}

TEST_F(ControllerSimTest, UnpluggedPortComesBackByItself) {
    StartSim({"--conversions", "1"});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return hooks.statusShown.size() >= 2; }, 5s));
    sim->Control("fault unplug 1000");
    ASSERT_TRUE(RunUntil([&] { return ctl->State() == stNoPort; }, 4s));
    const size_t shown = hooks.statusShown.size();
    EXPECT_TRUE(RunUntil([&] { return hooks.statusShown.size() > shown + 1; }, 8s));
    EXPECT_EQ(ctl->State(), stIdentified);
    EXPECT_GT(ctl->PortListIndex(), 0);
}

TEST_F(ControllerSimTest, DifferentMeterOnTheLineIsTakenUp) {
    StartSim({"--address", "0003", "--conversions", "1"});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return hooks.statusShown.size() >= 2; }, 5s));
    ASSERT_EQ(ctl->MerBusAddress(), 0x0003);
    sim->Control("fault address 0005");
    EXPECT_TRUE(RunUntil([&] { return ctl->MerBusAddress() == 0x0005 && ctl->State() == stIdentified; }, 6s));
    const size_t shown = hooks.statusShown.size();
    EXPECT_TRUE(RunUntil([&] { return hooks.statusShown.size() > shown; }, 4s));
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The figures of a minute's polling at the simulator's default conversion
// count; run by hand with --gtest_also_run_disabled_tests.
TEST_F(ControllerSimTest, DISABLED_PollingFiguresOverAMinute) {
    const fs::path log = dir / "sim.log";
    StartSim({"--log", log.string()});
    StartProgram();
    ASSERT_TRUE(RunUntil([&] { return hooks.statusShown.size() >= 2; }, 10s));
    const size_t from = port->sent.size();
    const size_t shownFrom = hooks.shownWallMs.size();
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    loop.RunFor(60s);
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::vector<double> periods;
    uint64_t last = 0;
    for (size_t i = from; i < port->sent.size(); ++i) {
        if (port->sent[i].second[3] != CMD_STATUS) continue;
        if (last != 0) periods.push_back(static_cast<double>(port->sent[i].first - last));
        last = port->sent[i].first;
    }
    ASSERT_FALSE(periods.empty());
    const double mean =
        std::accumulate(periods.begin(), periods.end(), 0.0) / static_cast<double>(periods.size());
    double var = 0;
    for (double p : periods)
        var += (p - mean) * (p - mean);
    const double sd = std::sqrt(var / static_cast<double>(periods.size()));
    const auto [lo, hi] = std::minmax_element(periods.begin(), periods.end());
    // Latency: the simulator logs each request when it has read it; the last
    // byte of its 64-byte answer leaves 3 ms (turnaround) + 64 bytes at 960
    // bytes/s later.
    std::vector<int64_t> requestMs;
    std::FILE* f = std::fopen(log.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[4096];
    while (std::fgets(line, sizeof line, f))
        if (std::strstr(line, "\"dir\":\"rx\"") && std::strstr(line, "\"cmd\":4,"))
            requestMs.push_back(std::atoll(std::strstr(line, "\"t\":") + 4));
    std::fclose(f);
    std::vector<double> latency;
    for (size_t i = shownFrom; i < hooks.shownWallMs.size(); ++i) {
        const int64_t shown = hooks.shownWallMs[i];
        const auto it = std::upper_bound(requestMs.begin(), requestMs.end(), shown);
        if (it == requestMs.begin()) continue;
        latency.push_back(static_cast<double>(shown - *(it - 1)) - 3.0 - 64.0 * 1000.0 / 960.0);
    }
    std::sort(latency.begin(), latency.end());
    ASSERT_FALSE(latency.empty());
    std::printf(
        "status period: scheduled %u ms, achieved mean %.2f ms, sd %.2f ms, min %.0f, max %.0f, n %zu\n",
        ctl->StatusPeriod(), mean, sd, *lo, *hi, periods.size());
    std::printf("display latency after the last answer byte: median %.1f ms, p99 %.1f ms, n %zu\n",
                latency[latency.size() / 2], latency[latency.size() * 99 / 100], latency.size());
    std::printf("cpu %.3f s in %.1f s: %.2f %% of one core\n", cpu, wall, 100.0 * cpu / wall);
}

} // namespace
} // namespace k730
