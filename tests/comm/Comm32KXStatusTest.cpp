// TComm32KX's connection state: opening and its failures, port selection,
// the answer timer, unplugging and announcements between instances.
#include "PtyFixture.h"

#include "comm/CommTexts.h"
#include "comm/VirtualPorts.h"

#include <dirent.h>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <thread>
#include <unistd.h>

namespace k730::test {
namespace {

using namespace std::chrono_literals;

size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

TEST_F(CommTest, ConstructorSetsTheDefaults) {
    TComm32KX comm(loop, langPolish);
    EXPECT_EQ(comm.COMPort(), "żaden");
    EXPECT_EQ(comm.PortList().front(), "żaden");
    EXPECT_EQ(comm.PortIndex(), 0);
    EXPECT_EQ(comm.LastStatus(), csDisconnected);
    EXPECT_EQ(comm.BaudRate(), br009600);
    EXPECT_EQ(comm.DataBits(), dbEight);
    EXPECT_EQ(comm.Parity(), pbNone);
    EXPECT_EQ(comm.StopBits(), sbOne);
    EXPECT_EQ(comm.TimeOut(), 50);
    EXPECT_EQ(comm.MaxRespTime(), 250u);
    EXPECT_EQ(comm.SizeBufTXD(), 1024);
    EXPECT_EQ(comm.SizeBufRXD(), 1024);
    EXPECT_TRUE(comm.StatusONifReceive());
    EXPECT_TRUE(comm.WaitToResponse());
    EXPECT_TRUE(comm.BroadCastPortOFF());
    EXPECT_FALSE(comm.SoundOnError() || comm.RTSState() || comm.DTRState() || comm.FlowRTS_CTS() ||
                 comm.FlowDTR_DSR() || comm.LockFlag() || comm.QueueMode());
    EXPECT_EQ(comm.SendRetryPeriod(), 100u);
    comm.SetTimeOut(0);
    EXPECT_EQ(comm.TimeOut(), 1);
}

TEST_F(CommTest, NoPortNamesInAnyCaseSelectTheLanguagesNoPort) {
    TPty pty;
    Register("SIM1", pty);
    for (int language : {langPolish, langEnglish}) {
        auto comm = MakeComm(language);
        for (const char* name : {"0", "NONE", "Żaden", "ŻADEN", ""}) {
            comm->SetCOMPort("SIM1");
            ASSERT_TRUE(comm->IsOpen());
            comm->SetCOMPort(name);
            EXPECT_FALSE(comm->IsOpen()) << name;
            EXPECT_EQ(comm->COMPort(), NoPortName(language)) << name;
            EXPECT_EQ(comm->PortIndex(), 0);
        }
    }
}

TEST_F(CommTest, StatusTextsFollowTheLanguage) {
    TPty pty;
    Register("SIM1", pty);
    auto polish = MakeComm(langPolish);
    TCommRecorder recorder(*polish);
    polish->SetCOMPort("sim1"); // found without regard to case, stored as listed
    EXPECT_EQ(polish->COMPort(), "SIM1");
    ASSERT_EQ(recorder.texts.back(), "Połączony");
    polish->SetCOMPort("0");
    EXPECT_EQ(recorder.texts.back(), "Rozłączony");
    EXPECT_EQ(CommStatusText(langEnglish, csPortError), "Port COM error");
    EXPECT_EQ(CommStatusText(langPolish, csLineError), "Błąd transmisji danych");
}

TEST_F(CommTest, ASecondOpenerIsToldBusy) {
    TPty pty;
    Register("SIM1", pty);
    auto first = MakeComm();
    auto second = MakeComm();
    TCommRecorder recorder(*second);
    first->SetCOMPort("SIM1");
    ASSERT_TRUE(first->IsOpen());
    second->SetCOMPort("SIM1");
    EXPECT_FALSE(second->IsOpen());
    EXPECT_EQ(recorder.statuses.back(), csBusy);
    EXPECT_EQ(recorder.texts.back(), "Busy");
}

TEST_F(CommTest, ALineSettingNoTtyCanDoIsAPortError) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetCOMPort("SIM1");
    comm->SetDataBits(dbFour);
    EXPECT_FALSE(comm->IsOpen());
    EXPECT_EQ(recorder.statuses.back(), csPortError);
    comm->SetDataBits(dbSeven);
    EXPECT_TRUE(comm->IsOpen());
    comm->SetStopBits(sbOnePointFive);
    EXPECT_EQ(recorder.statuses.back(), csPortError);
}

TEST_F(CommTest, RatesWithoutAConstantAndMarkParityAreSetExactly) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    comm->SetCOMPort("SIM1");
    comm->ApplyLineSettings(std::nullopt, br014400, sbTwo, dbSeven, pbMark);
    ASSERT_TRUE(comm->IsOpen());
    const TLineSettings line = comm->CurrentLineSettings();
    EXPECT_EQ(line, (TLineSettings{br014400, dbSeven, pbMark, sbTwo}));
    EXPECT_EQ(comm->BytesPerSecond(), BytesPerSecondFor(br014400, dbSeven, pbMark, sbTwo));
}

TEST_F(CommTest, SettingTheSameBaudWhileOpenDoesNothing) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetCOMPort("SIM1");
    recorder.statuses.clear();
    comm->SetBaudRate(br009600);
    EXPECT_TRUE(recorder.statuses.empty());
    comm->SetBaudRate(br019200);
    EXPECT_EQ(recorder.statuses, (std::vector<int>{csDisconnected, csConnected}));
}

TEST_F(CommTest, AnAbsentPortIsReportedAndOpensWhenItAppears) {
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetCOMPort("SIM7");
    EXPECT_EQ(recorder.statuses.back(), csPortNotFound);
    EXPECT_EQ(comm->COMPort(), "SIM7");
    EXPECT_FALSE(comm->IsOpen());

    TPty pty;
    Register("SIM7", pty);
    ASSERT_TRUE(RunUntil([&] { return comm->IsOpen(); }));
    EXPECT_EQ(recorder.statuses.back(), csConnected);
    EXPECT_GE(recorder.listChanges, 1);
    EXPECT_EQ(recorder.portChanges, 1);

    UnregisterVirtualPort("SIM7");
    ASSERT_TRUE(RunUntil([&] { return !comm->IsOpen(); }));
    EXPECT_EQ(recorder.statuses.back(), csPortNotFound);
    EXPECT_EQ(comm->COMPort(), "SIM7"); // still remembered
}

// A peer that died without removing its link, then came back under the same
// name: the list never changed, yet the port must be opened again.
TEST_F(CommTest, AVirtualPortLeftDanglingIsTakenUpWhenItComesBack) {
    auto first = std::make_unique<TPty>();
    Register("SIM1", *first);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetCOMPort("SIM1");
    ASSERT_TRUE(comm->IsOpen());
    first->CloseMaster(); // the link stays, pointing nowhere
    ASSERT_TRUE(RunUntil([&] { return !comm->IsOpen(); }));
    first.reset();

    TPty second;
    Register("SIM1", second);
    ASSERT_TRUE(RunUntil([&] { return comm->IsOpen(); })) << "still on status " << recorder.statuses.back();
    EXPECT_EQ(recorder.statuses.back(), csConnected);
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>{0x68, 0x08, 0x00, 0x01, 0x06, 0xFF, 0xFF, 0x16}));
    EXPECT_EQ(second.Read(8, 2s).size(), 8u) << "requests reach the peer that came back";
}

TEST_F(CommTest, TheAnswerTimerReportsNoAnswerAtTheComputedLimit) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetTimeOut(5);
    comm->SetCOMPort("SIM1");
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>(8, 0x55)));
    // 1032 bytes at 960 B/s, the meter's 250 ms, the 5 ms gap and the 1 s allowance.
    EXPECT_EQ(comm->AnswerTimeLimit(), 1075u + 250u + 5u + 1000u);
    ASSERT_TRUE(RunUntil([&] { return recorder.timeOvers == 1; }));
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
    // Timing starts at the first 100 ms tick after the write and is checked every 100 ms.
    EXPECT_GE(took.count(), 2330 + 100 - 20);
    EXPECT_LE(took.count(), 2330 + 200 + 250);
    EXPECT_EQ(recorder.statuses.back(), csNoAnswer);
    EXPECT_EQ(recorder.texts.back(), "Communication lost");

    comm->SetFixedAnswerTime(150);
    comm->SetWaitToResponse(false);
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>(8, 0x55)));
    EXPECT_EQ(comm->AnswerTimeLimit(), 150u);
    ASSERT_TRUE(RunUntil([&] { return recorder.timeOvers == 2; }));
    EXPECT_EQ(recorder.statuses.back(), csNoAnswer) << "no second report without WaitToResponse";
    EXPECT_EQ(std::count(recorder.statuses.begin(), recorder.statuses.end(), csNoAnswer), 1);
}

TEST_F(CommTest, AnAnswerStopsTheAnswerTimer) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetTimeOut(5);
    comm->SetFixedAnswerTime(200);
    comm->SetCOMPort("SIM1");
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>{1}));
    ASSERT_EQ(pty.Read(1, 1s).size(), 1u);
    pty.Write({0x68});
    ASSERT_TRUE(RunUntil([&] { return !recorder.blocks.empty(); }));
    loop.RunFor(500ms);
    EXPECT_EQ(recorder.timeOvers, 0);
    EXPECT_EQ(recorder.statuses.back(), csConnected);
}

TEST_F(CommTest, UnpluggingReportsAndDoesNotSpin) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    TCommRecorder recorder(*comm);
    comm->SetCOMPort("SIM1");
    ASSERT_TRUE(comm->IsOpen());
    const std::clock_t cpuBefore = std::clock();
    pty.CloseMaster();
    ASSERT_TRUE(RunUntil([&] { return !comm->IsOpen(); }));
    const int closedWith = recorder.statuses.back();
    EXPECT_TRUE(closedWith == csPortError || closedWith == csPortNotFound) << closedWith;
    const size_t reports = recorder.statuses.size();
    loop.RunFor(1500ms);
    EXPECT_EQ(recorder.statuses.size(), reports) << "the reopen is asked for once, not in a loop";
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_LT(cpuSeconds, 0.5);
}

TEST_F(CommTest, ClosingDuringTrafficNeitherHangsNorLeaks) {
    TPty pty;
    Register("SIM1", pty);
    auto comm = MakeComm();
    comm->SetTimeOut(1);
    comm->SetQueueMode(true);
    size_t received = 0;
    comm->OnReceive = [&](TComm32KX&, const uint8_t*, uint32_t size) { received += size; };
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        const std::vector<uint8_t> chunk(64, 0x5A);
        while (flooding) {
            static_cast<void>(write(pty.Master(), chunk.data(), chunk.size()));
            uint8_t sink[4096];
            static_cast<void>(read(pty.Master(), sink, sizeof sink));
            std::this_thread::yield();
        }
    });
    comm->SetCOMPort("SIM1");
    comm->ClosePort();
    const size_t descriptors = OpenDescriptors();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_TRUE(comm->OpenPort()) << cycle;
        comm->Send(std::vector<uint8_t>(300, static_cast<uint8_t>(cycle)));
        loop.RunUntil([&] { return false; }, std::chrono::milliseconds(cycle % 3));
        ASSERT_TRUE(comm->ClosePort());
    }
    flooding = false;
    flood.join();
    EXPECT_EQ(OpenDescriptors(), descriptors) << "descriptors left behind";
    EXPECT_GT(received, 0u);
}

TEST_F(CommTest, AReleasedPortIsTakenByTheInstanceThatWasRefused) {
    TPty pty;
    Register("SIM1", pty);
    auto holder = MakeComm();
    auto waiter = MakeComm();
    TCommRecorder recorder(*waiter);
    holder->SetCOMPort("SIM1");
    ASSERT_TRUE(holder->IsOpen());
    waiter->SetCOMPort("SIM1");
    ASSERT_EQ(waiter->LastStatus(), csBusy);

    holder->SetCOMPort("0"); // announces SIM1 as released
    ASSERT_TRUE(RunUntil([&] { return waiter->IsOpen(); }));
    EXPECT_EQ(recorder.statuses.back(), csConnected);
    EXPECT_EQ(recorder.portChanges, 2); // selecting SIM1, then taking it over
}

} // namespace
} // namespace k730::test
