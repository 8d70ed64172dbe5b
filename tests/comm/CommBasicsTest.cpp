// The pure parts of the serial transport: line arithmetic, tty line marks,
// port names and their order, the plain event loop, and the read thread's
// reaction to a line error (through a scripted port).
#include "PtyFixture.h"

#include "comm/LineMarks.h"
#include "comm/PortAnnouncement.h"
#include "comm/PortList.h"
#include "comm/VirtualPorts.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace k730::test {
namespace {

using namespace std::chrono_literals;

struct TTransferCase {
    TLineSettings line;
    uint32_t bytesPerSecond;
    uint32_t ms64;
};

class TransferTimeTest : public ::testing::TestWithParam<TTransferCase> {};

TEST_P(TransferTimeTest, FollowsBitsPerCharacter) {
    const auto& c = GetParam();
    EXPECT_EQ(BytesPerSecondFor(c.line), c.bytesPerSecond);
    EXPECT_EQ(TransferTimeMsFor(c.line, 64), c.ms64);
}

INSTANTIATE_TEST_SUITE_P(Lines, TransferTimeTest,
                         ::testing::Values(TTransferCase{{br009600, dbEight, pbNone, sbOne}, 960, 67},
                                           // 9600 / 12 x 8 / 8 = 800
                                           TTransferCase{{br009600, dbEight, pbEven, sbTwo}, 800, 80},
                                           // 1.5 stop bits: 9600 / 8.5 x 6 / 8 = 847.06
                                           TTransferCase{{br009600, dbSix, pbNone, sbOnePointFive}, 847, 76},
                                           TTransferCase{{br014400, dbSeven, pbOdd, sbOne}, 1260, 51},
                                           TTransferCase{{br000300, dbEight, pbNone, sbOne}, 30, 2133},
                                           TTransferCase{{br921600, dbEight, pbNone, sbOne}, 92160, 1}));

TEST(TransferTime, BytesInTimeRounds) {
    const TLineSettings line;
    EXPECT_EQ(BytesInTimeFor(line, 5), 5u); // 4.8
    EXPECT_EQ(BytesInTimeFor(line, 50), 48u);
    EXPECT_EQ(BytesInTimeFor(line, 0), 0u);
}

TEST(LineMarks, UndoesDoubledMarksAndSeesBreaksAcrossReads) {
    TLineMarks marks;
    bool error = false;
    uint8_t data[] = {0x68, 0xFF, 0xFF, 0x16};
    ASSERT_EQ(marks.Decode(data, 4, error), 3u);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 3), (std::vector<uint8_t>{0x68, 0xFF, 0x16}));
    EXPECT_FALSE(error);

    uint8_t first[] = {0x01, 0xFF};
    uint8_t second[] = {0xFF, 0x02};
    EXPECT_EQ(marks.Decode(first, 2, error), 1u);
    ASSERT_EQ(marks.Decode(second, 2, error), 2u);
    EXPECT_EQ(second[0], 0xFF);
    EXPECT_EQ(second[1], 0x02);
    EXPECT_FALSE(error);

    uint8_t brk[] = {0x05, 0xFF, 0x00};
    uint8_t rest[] = {0x00, 0x06};
    marks.Decode(brk, 3, error);
    EXPECT_FALSE(error);
    marks.Decode(rest, 2, error);
    EXPECT_TRUE(error) << "a break split between two reads";

    error = false;
    uint8_t parity[] = {0xFF, 0x00, 0x41};
    EXPECT_EQ(marks.Decode(parity, 3, error), 0u);
    EXPECT_TRUE(error);
}

TEST(PortNames, SortNaturallyAndCompareWithoutCase) {
    EXPECT_EQ(SortPortNames({"COM2", "COM10", "COM1"}), (std::vector<std::string>{"COM1", "COM2", "COM10"}));
    EXPECT_EQ(SortPortNames({"ttyUSB10", "ttyS1", "ttyUSB2", "ttyACM0"}),
              (std::vector<std::string>{"ttyACM0", "ttyS1", "ttyUSB2", "ttyUSB10"}));
    EXPECT_EQ(SortPortNames({"sim2", "SIM1", "Sim10"}), (std::vector<std::string>{"SIM1", "sim2", "Sim10"}));
    EXPECT_TRUE(IsNoPortName("ŻADEN"));
    EXPECT_TRUE(IsNoPortName("None"));
    EXPECT_TRUE(IsNoPortName("0"));
    EXPECT_FALSE(IsNoPortName("COM0"));
    EXPECT_TRUE(SamePortName("ŁÓDŹ1", "łódź1"));
}

TEST(PortAnnouncement, NamesThePortUpToItsZeroByte) {
    const TBytes com7 = PortAnnouncement("COM7");
    EXPECT_EQ(com7, (TBytes{'C', 'O', 'M', '7', 0}));
    EXPECT_EQ(AnnouncedPort(com7), "COM7");
    EXPECT_EQ(AnnouncedPort(TBytes{'S', 'I', 'M', '1'}), "SIM1"); // the zero may be missing
    EXPECT_FALSE(AnnouncedPort(TBytes{0, 'X'}));
    EXPECT_TRUE(PortAnnouncement("").empty());
    // A name longer than any announced one is not taken for the port it begins with.
    const std::string longest(MAX_ANNOUNCED_PORT, 'A');
    EXPECT_EQ(AnnouncedPort(PortAnnouncement(longest)), longest);
    TBytes longer(MAX_ANNOUNCED_PORT + 1, 'A');
    longer.push_back(0);
    EXPECT_FALSE(AnnouncedPort(longer));
    EXPECT_TRUE(PortAnnouncement(longest + "A").empty());
}

TEST_F(CommTest, PortListIsHeadedByNoPortAndFollowsTheVirtualPorts) {
    TPty a, b, c;
    Register("COM2", a);
    Register("COM10", b);
    Register("COM1", c);
    std::string error;
    ASSERT_TRUE(RegisterVirtualPort("GONE", folder / "no-such-tty", error)); // a link left behind
    auto comm = MakeComm(langPolish);
    TCommRecorder recorder(*comm);
    const auto& list = comm->PortList();
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(list[0], "żaden");
    const std::vector<std::string> virtuals(list.end() - 3, list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), "GONE"), list.end());
    const auto at = [&](const std::string& name) {
        return std::find(list.begin(), list.end(), name) - list.begin();
    };
    EXPECT_LT(at("COM1"), at("COM2"));
    EXPECT_LT(at("COM2"), at("COM10"));

    UnregisterVirtualPort("COM2");
    ASSERT_TRUE(RunUntil([&] { return std::find(list.begin(), list.end(), "COM2") == list.end(); }));
    EXPECT_GE(recorder.listChanges, 1);
    std::vector<std::string> plain;
    TComm32KX::GetSerialPortList(plain, langEnglish);
    EXPECT_EQ(std::find(plain.begin(), plain.end(), "none"), plain.end());
    EXPECT_NE(std::find(plain.begin(), plain.end(), "COM10"), plain.end());
}

TEST(PlainEventLoop, TimersStopAndPostsKeepTheirOrder) {
    TPlainEventLoop loop;
    std::vector<int> order;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            loop.Post([&order, i] { order.push_back(i); });
    });
    poster.join();
    int ticks = 0;
    TCommEventLoop::TTimerId id = 0;
    id = loop.StartTimer(5, [&] {
        if (++ticks == 3) loop.StopTimer(id);
    });
    loop.RunFor(100ms);
    EXPECT_EQ(ticks, 3);
    ASSERT_EQ(order.size(), 100u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

// A port that reports one line error and then waits until cancelled.
class TLineErrorPort : public TSerialPort {
public:
    explicit TLineErrorPort(std::atomic<int>& purges) : purges_(purges) {}
    TPortOpenResult Open(const std::string&) override { return TPortOpenResult::ok; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    bool Configure(const TPortConfig&) override { return true; }
    bool ReadLineSettings(TLineSettings&) const override { return false; }
    TPortEvent WaitEvent() override {
        if (!reported_.exchange(true)) return TPortEvent::lineError;
        std::unique_lock lock(mutex_);
        cancelledChanged_.wait(lock, [this] { return cancelled_; });
        return TPortEvent::cancelled;
    }
    bool WaitCancelled(uint32_t) override { return true; }
    size_t BytesWaiting() override { return 0; }
    long Read(uint8_t*, size_t, bool&) override { return 0; }
    size_t Write(const uint8_t*, size_t count) override { return count; }
    void PurgeInput() override { ++purges_; }
    void PurgeOutput() override {}
    void Cancel() override {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        cancelledChanged_.notify_all();
    }
    void ResetCancel() override {}
    void SetRTS(bool) override {}
    void SetDTR(bool) override {}
    TModemStatus ModemStatus() override { return {true, true}; }

private:
    std::atomic<int>& purges_;
    std::atomic<bool> reported_{false};
    std::mutex mutex_;
    std::condition_variable cancelledChanged_;
    bool cancelled_ = false;
};

TEST_F(CommTest, ALineErrorPurgesTheInputAndReportsStatus4) {
    TPty pty;
    Register("SIM1", pty); // only so that the name is in the list
    std::atomic<int> purges{0};
    TComm32KX comm(loop, langEnglish, [&] { return std::make_unique<TLineErrorPort>(purges); });
    TCommRecorder recorder(comm);
    comm.SetCOMPort("SIM1");
    ASSERT_TRUE(
        RunUntil([&] { return !recorder.statuses.empty() && recorder.statuses.back() == csLineError; }));
    EXPECT_EQ(recorder.texts.back(), "Communication error");
    EXPECT_GE(purges.load(), 2); // the open's purge and the error's
    comm.ClosePort();
}

} // namespace
} // namespace k730::test
