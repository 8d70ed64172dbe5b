// Bytes through TComm32KX over a pseudo-terminal: exactness, block
// boundaries, the send queue rules and the written-bytes report.
#include "PtyFixture.h"

#include <algorithm>
#include <thread>

namespace k730::test {
namespace {

using namespace std::chrono_literals;

class TransferTest : public CommTest {
protected:
    void SetUp() override {
        CommTest::SetUp();
        Register("SIM1", pty);
        comm = MakeComm();
        recorder = std::make_unique<TCommRecorder>(*comm);
    }
    void Open(uint16_t timeOut = 5) {
        comm->SetTimeOut(timeOut);
        comm->SetCOMPort("SIM1");
        ASSERT_TRUE(comm->IsOpen());
    }
    size_t ReceivedSize() const { return recorder->Received().size(); }

    TPty pty;
    std::unique_ptr<TComm32KX> comm;
    std::unique_ptr<TCommRecorder> recorder;
};

std::vector<uint8_t> EveryByteValue(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

TEST_F(TransferTest, EveryByteValueArrivesExactlyInBothDirections) {
    Open();
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    all.insert(all.end(), {0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF}); // what a tty uses for its own marks

    ASSERT_TRUE(comm->Send(all));
    EXPECT_EQ(pty.Read(all.size(), 3s), all);

    pty.Write(all);
    ASSERT_TRUE(RunUntil([&] { return ReceivedSize() >= all.size(); }));
    EXPECT_EQ(recorder->Received(), all);
    EXPECT_EQ(recorder->statuses.back(), csConnected);
}

TEST_F(TransferTest, LargeBlocksAreNeitherLostNorReordered) {
    comm->SetSizeBufTXD(60000);
    Open(2);
    const std::vector<uint8_t> out = EveryByteValue(60000);
    std::vector<uint8_t> echoed;
    std::thread peer([&] { echoed = pty.Read(out.size(), 10s); });
    ASSERT_TRUE(comm->Send(out));
    peer.join();
    EXPECT_EQ(echoed, out);

    // In: more than fits in one receive buffer, so several blocks of at most SizeBufRXD.
    const std::vector<uint8_t> in = EveryByteValue(20000);
    std::thread writer([&] { pty.Write(in); });
    ASSERT_TRUE(RunUntil([&] { return ReceivedSize() >= in.size(); }, 10s));
    writer.join();
    EXPECT_EQ(recorder->Received(), in);
    for (const auto& block : recorder->blocks)
        EXPECT_LE(block.size(), comm->SizeBufRXD());
}

TEST_F(TransferTest, ABurstIsOneBlockAndAPauseLongerThanTimeOutSplitsIt) {
    Open(100);
    const std::vector<uint8_t> answer = EveryByteValue(20);
    pty.Write(answer);
    ASSERT_TRUE(RunUntil([&] { return !recorder->blocks.empty(); }));
    loop.RunFor(150ms); // nothing more may come of it
    ASSERT_EQ(recorder->blocks.size(), 1u);
    EXPECT_EQ(recorder->blocks[0], answer);

    recorder->blocks.clear();
    pty.Write({answer.begin(), answer.begin() + 10});
    std::this_thread::sleep_for(250ms); // the pause on the line
    pty.Write({answer.begin() + 10, answer.end()});
    ASSERT_TRUE(RunUntil([&] { return ReceivedSize() >= 20; }));
    ASSERT_EQ(recorder->blocks.size(), 2u);
    EXPECT_EQ(recorder->Received(), answer);
}

TEST_F(TransferTest, QueueModeOffRefusesASecondBlockWhileOneWaits) {
    Open();
    comm->SetTimeOut(1000); // keeps the first block in the queue's head position
    const std::vector<uint8_t> first{1, 2, 3}, second{4, 5, 6};
    ASSERT_TRUE(comm->Send(first));
    ASSERT_TRUE(comm->Send(second)); // the queue was empty again after the hand-over
    EXPECT_EQ(comm->QueueSize(), 1u);
    EXPECT_FALSE(comm->Send(first));
    EXPECT_EQ(comm->QueueSize(), 1u);

    comm->SetQueueMode(true);
    EXPECT_TRUE(comm->Send(first));
    EXPECT_EQ(comm->QueueSize(), 2u);
    comm->ClearQueue();
    EXPECT_EQ(comm->QueueSize(), 0u);
    EXPECT_EQ(pty.Read(3, 2s), first); // only the block that was handed over went out
}

TEST_F(TransferTest, QueuedBlocksGoOutOneAfterAnotherInQueueMode) {
    Open(2);
    comm->SetQueueMode(true);
    std::vector<uint8_t> expected;
    for (uint8_t i = 0; i < 5; ++i) {
        const std::vector<uint8_t> block{i, static_cast<uint8_t>(i + 100)};
        EXPECT_TRUE(comm->Send(block));
        expected.insert(expected.end(), block.begin(), block.end());
    }
    std::vector<uint8_t> got;
    ASSERT_TRUE(RunUntil([&] {
        const auto more = pty.Read(expected.size() - got.size(), 1ms);
        got.insert(got.end(), more.begin(), more.end());
        return got.size() == expected.size();
    })) << got.size()
        << " queued " << comm->QueueSize();
    EXPECT_EQ(got, expected);
}

TEST_F(TransferTest, SendTruncatesToSizeBufTXDAndRefusesWhenClosed) {
    comm->SetSizeBufTXD(4);
    EXPECT_FALSE(comm->Send(std::vector<uint8_t>{1, 2, 3})); // not open yet
    Open();
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(pty.Read(6, 500ms), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(TransferTest, TxdEmptyReportsOnlyWhenAssignedBeforeOpening) {
    std::vector<uint8_t> written;
    const auto handler = [&](TComm32KX&, const uint8_t* buf, uint32_t size) {
        written.insert(written.end(), buf, buf + size);
    };
    Open();
    comm->OnTxdEmpty = handler;
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>{9, 8, 7}));
    ASSERT_EQ(pty.Read(3, 2s).size(), 3u);
    loop.RunFor(100ms);
    EXPECT_TRUE(written.empty());

    comm->ClosePort();
    ASSERT_TRUE(comm->OpenPort());
    ASSERT_TRUE(comm->Send(std::vector<uint8_t>{9, 8, 7}));
    ASSERT_TRUE(RunUntil([&] { return written.size() == 3; }));
    EXPECT_EQ(written, (std::vector<uint8_t>{9, 8, 7}));
}

TEST_F(TransferTest, HoldCounterKeepsBlocksOutOfAHandlerThatPumpsTheLoop) {
    Open(20);
    int depth = 0, deepest = 0;
    comm->OnReceive = [&](TComm32KX&, const uint8_t* buf, uint32_t size) {
        ++depth;
        deepest = std::max(deepest, depth);
        recorder->blocks.emplace_back(buf, buf + size);
        if (recorder->blocks.size() == 1) {
            pty.Write({2});
            loop.RunFor(300ms); // a handler that pumps messages
        }
        --depth;
    };
    comm->HoldReceive();
    pty.Write({1});
    ASSERT_TRUE(RunUntil([&] { return recorder->blocks.size() == 2; }));
    EXPECT_EQ(deepest, 1) << "a held block was delivered inside the running delivery";
    EXPECT_EQ(recorder->Received(), (std::vector<uint8_t>{1, 2}));

    comm->ReleaseReceive();
    comm->ReleaseReceive(); // not below 0
    EXPECT_EQ(comm->HoldCount(), 0);
    recorder->blocks.clear();
    pty.Write({1});
    ASSERT_TRUE(RunUntil([&] { return recorder->blocks.size() == 2; }));
    EXPECT_EQ(deepest, 2) << "without the hold the second block comes at once";
}

} // namespace
} // namespace k730::test
