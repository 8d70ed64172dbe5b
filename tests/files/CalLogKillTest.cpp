// A writer killed at random moments never leaves the log unreadable and never
// loses a record whose append reported success.
#include "files/CalLog.h"
#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace k730 {
namespace {

TCalLogRecord Numbered(uint32_t n) {
    TCalLogRecord r;
    r.Comment = "append " + std::to_string(n);
    r.MeterType = "K-730/V/2M/L1/3/A1";
    r.CalDateTime = 45000 + n / 1000.0;
    r.CalTempCode = n;
    return r;
}

// Child: appends numbered records and reports each success on the pipe.
[[noreturn]] void Writer(const std::string& log, int reportFd, uint32_t first) {
    for (uint32_t n = first;; ++n) {
        if (!AppendCalLog(log, Numbered(n))) _exit(3);
        if (::write(reportFd, &n, sizeof n) != sizeof n) _exit(4);
    }
}

TEST(CalLogKill, WriterKilledAtRandomMomentsLosesNothingAcknowledged) {
    test::TTempFolder dir;
    const std::string log = dir / "K730/K730_CAL.dat";
    std::mt19937 random(730);
    std::set<uint32_t> acknowledged;
    uint32_t next = 0;
    for (int round = 0; round < 100; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            Writer(log, fds[1], next);
        }
        ::close(fds[1]);
        // Let a random number of appends succeed, then kill in the middle of the next ones.
        const int wanted = static_cast<int>(random() % 4);
        for (int i = 0; i < wanted; ++i) {
            uint32_t n;
            ASSERT_EQ(::read(fds[0], &n, sizeof n), static_cast<ssize_t>(sizeof n));
            acknowledged.insert(n);
        }
        // A random moment: busy until it comes, the writer keeps appending meanwhile.
        const auto moment = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 3000);
        while (std::chrono::steady_clock::now() < moment) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer failed on its own in round " << round;
        uint32_t n;
        while (::read(fds[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n))
            acknowledged.insert(n);
        ::close(fds[0]);
        next = acknowledged.empty() ? 0 : *acknowledged.rbegin() + 1000;

        if (acknowledged.empty()) continue;
        const TCalLogRead read = ReadCalLog(log);
        ASSERT_TRUE(read.valid) << "round " << round << ": " << read.error;
        std::set<uint32_t> present;
        for (const auto& r : read.records)
            present.insert(r.CalTempCode);
        for (uint32_t a : acknowledged)
            ASSERT_TRUE(present.contains(a)) << "lost append " << a;
    }
    EXPECT_GT(acknowledged.size(), 50u);
}

// Appends replace the log whole; a writer that waited for the lock must append
// to the newest log, not to the one it opened.
TEST(CalLogKill, WritersAppendingAtOnceLoseNothing) {
    test::TTempFolder dir;
    const std::string log = dir / "K730/K730_CAL.dat";
    ASSERT_TRUE(AppendCalLog(log, Numbered(0)));
    constexpr int writers = 3, each = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < each; ++i)
                if (!AppendCalLog(log, Numbered(1 + static_cast<uint32_t>(w * each + i)))) _exit(3);
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const TCalLogRead read = ReadCalLog(log);
    ASSERT_TRUE(read.valid) << read.error;
    std::set<uint32_t> present;
    for (const auto& r : read.records)
        present.insert(r.CalTempCode);
    EXPECT_EQ(present.size(), static_cast<size_t>(writers * each + 1));
}

} // namespace
} // namespace k730
