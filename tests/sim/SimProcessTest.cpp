// k730-sim as a process: its virtual port, its state file across restarts,
// line settings on the pty, unplugging, and the control socket.
#include "protocol/ByteOrder.h"
#include "protocol/ReceiveBuffer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace k730::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SimProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("k730-sim-proc-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "ports");
    }
    void TearDown() override {
        Stop();
        if (tty >= 0) ::close(tty);
        fs::remove_all(dir);
    }

    void Start(std::vector<std::string> args) {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        printed.clear();
        args.insert(args.begin(), test::BuildDir() + "/src/sim/k730-sim");
        args.push_back("--control");
        args.push_back((dir / "control.sock").string());
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
            dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ::close(out[1]);
        output = out[0];
        fcntl(output, F_SETFL, O_NONBLOCK);
        ASSERT_TRUE(WaitForOutput("SIM1 ready on")) << printed;
    }
    void Stop() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        ::close(output);
    }
    bool WaitForOutput(const std::string& text, size_t from = 0) {
        return test::WaitFor(
            [&] {
                char chunk[512];
                for (ssize_t n; (n = ::read(output, chunk, sizeof chunk)) > 0;)
                    printed.append(chunk, n);
                return printed.find(text, from) != std::string::npos;
            },
            5s);
    }
    std::string Control(const std::string& command) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, (dir / "control.sock").c_str(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return "no socket";
        const std::string line = command + "\n";
        [[maybe_unused]] ssize_t sent = ::send(fd, line.data(), line.size(), 0);
        std::string reply;
        test::WaitFor(
            [&] {
                char c;
                pollfd p{fd, POLLIN, 0};
                while (poll(&p, 1, 10) > 0 && ::read(fd, &c, 1) == 1) {
                    if (c == '\n') return true;
                    reply += c;
                }
                return false;
            },
            3s);
        ::close(fd);
        return reply;
    }
    void OpenPort(speed_t speed) {
        if (tty >= 0) ::close(tty);
        tty = ::open((dir / "ports" / "SIM1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(tty, 0);
        termios tio{};
        tcgetattr(tty, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(tty, TCSANOW, &tio);
    }
    // Sends a request and collects what comes back until a whole answer or
    // `enough` bytes arrive; gives the answer frame, or else all bytes received.
    // Garbage still arriving from an earlier exchange is skipped as the program skips it.
    TBytes Exchange(const TBytes& request, size_t enough = 1000) {
        [[maybe_unused]] ssize_t n = ::write(tty, request.data(), request.size());
        TBytes got, frame;
        test::WaitFor(
            [&] {
                uint8_t chunk[256];
                for (ssize_t r; (r = ::read(tty, chunk, sizeof chunk)) > 0;)
                    got.insert(got.end(), chunk, chunk + r);
                TReceiveBuffer b;
                b.Append(got);
                while (const size_t length = b.ExtractFrame()) {
                    frame = b.TakeFrame(length);
                    if (frame.size() > 4 && frame[4] == MERBUS_FIXED) return true; // an executed answer
                    frame.clear(); // line noise that happened to look like a frame
                }
                return got.size() >= enough;
            },
            3s);
        return frame.empty() ? got : frame;
    }

    fs::path dir;
    pid_t pid = -1;
    int output = -1;
    int tty = -1;
    std::string printed;
};

TEST_F(SimProcessTest, AnswersOnItsVirtualPortAndRemovesTheLinkWhenStopped) {
    Start({});
    ASSERT_TRUE(fs::is_symlink(dir / "ports" / "SIM1"));
    OpenPort(B9600);
    const TBytes a = Exchange(BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false));
    ASSERT_GT(a.size(), 26u);
    EXPECT_EQ(a[3], 0x81);
    EXPECT_EQ(Exchange(BuildRequest(CMD_STATUS, 1, {}, false))[8], 0xFF);
    EXPECT_EQ(Control("SIM1 get").rfind("SIM1 address=0x0001", 0), 0u);
    EXPECT_EQ(Control("quit"), "ok");
    int status = -1;
    waitpid(pid, &status, 0);
    pid = -1;
    ::close(output);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "ports" / "SIM1")));
}

TEST_F(SimProcessTest, ProgrammedIdentitySurvivesARestart) {
    const std::string state = (dir / "sim1.json").string();
    Start({"--state", state});
    OpenPort(B9600);
    EXPECT_EQ(Exchange(BuildRequest(CMD_SVC_SERIAL_YEAR, 1, TBytes{0x2A, 0x00, 0xE6, 0x07}, true))[3], 0xE3);
    EXPECT_EQ(Exchange(BuildRequest(CMD_SVC_KIND, 1, TBytes{0x81}, true))[3], 0xE1);
    Stop();
    Start({"--state", state});
    OpenPort(B9600);
    const TBytes a = Exchange(BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false));
    ASSERT_GT(a.size(), 26u);
    EXPECT_EQ(a[a.size() - 18], 0x81);
    EXPECT_EQ(ReadU16(a, a.size() - 5), 42);
    EXPECT_EQ(ReadU16(a, a.size() - 3), 2022);
}

TEST_F(SimProcessTest, WrongBaudRateOnThePortGivesGarbageOnly) {
    Start({});
    OpenPort(B19200);
    const TBytes got = Exchange(BuildRequest(CMD_STATUS, 1, {}, false), 64);
    EXPECT_FALSE(got.empty());
    TReceiveBuffer b;
    b.Append(got);
    while (size_t length = b.ExtractFrame()) {
        const TBytes f = b.TakeFrame(length);
        EXPECT_FALSE(f.size() > 4 && f[3] == 0x84 && f[4] == 0x06);
    }
    OpenPort(B9600); // the program tries the meter's rate next
    EXPECT_EQ(Exchange(BuildRequest(CMD_STATUS, 1, {}, false)).at(3), 0x84);
}

TEST_F(SimProcessTest, UnplugRemovesThePortAndReplugBringsBackAFreshMeter) {
    Start({});
    OpenPort(B9600);
    Exchange(BuildRequest(CMD_STATUS, 1, {}, false)); // takes the power-on report
    EXPECT_EQ(Control("fault unplug 300"), "ok");
    ASSERT_TRUE(WaitForOutput("SIM1 unplugged"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "ports" / "SIM1")));
    ASSERT_TRUE(WaitForOutput("SIM1 ready on", printed.find("unplugged")));
    OpenPort(B9600);
    EXPECT_EQ(Exchange(BuildRequest(CMD_STATUS, 1, {}, false)).at(8), 0xFF);
}

TEST_F(SimProcessTest, SeveralMetersEachWithTheirOwnPortAndAddress) {
    Start({"--count", "2"});
    ASSERT_TRUE(WaitForOutput("SIM2 ready on"));
    tty = ::open((dir / "ports" / "SIM2").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tty, 0);
    termios tio{};
    tcgetattr(tty, &tio);
    cfmakeraw(&tio);
    tcsetattr(tty, TCSANOW, &tio);
    const TBytes a = Exchange(BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false));
    ASSERT_GT(a.size(), 26u);
    EXPECT_EQ(ReadU16(a, 5), 2);
    EXPECT_EQ(ReadU16(a, a.size() - 5), 1002);
}

} // namespace
} // namespace k730::sim
