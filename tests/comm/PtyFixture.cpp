#include "PtyFixture.h"

#include "comm/VirtualPorts.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace k730::test {

TPty::TPty() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    slavePath_ = name;
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

TPty::~TPty() {
    CloseMaster();
    if (slave_ >= 0) close(slave_);
}

void TPty::CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

void TPty::Write(const std::vector<uint8_t>& bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(master_, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        pollfd fd{master_, POLLOUT, 0};
        if (poll(&fd, 1, 5000) <= 0) throw std::runtime_error("pty master does not take bytes");
    }
}

std::vector<uint8_t> TPty::Read(size_t count, std::chrono::milliseconds timeout) const {
    std::vector<uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0) break;
        uint8_t buffer[4096];
        const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

void CommTest::SetUp() {
    char pattern[] = "/tmp/k730-commtest-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    setenv("K730_PORTS_DIR", (folder / "ports").c_str(), 1);
    setenv("K730_INSTANCES_DIR", (folder / "instances").c_str(), 1);
    std::filesystem::create_directories(folder / "ports");
}

void CommTest::TearDown() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

void CommTest::Register(const std::string& name, const TPty& pty) {
    std::string error;
    ASSERT_TRUE(RegisterVirtualPort(name, pty.SlavePath(), error)) << error;
}

std::unique_ptr<TComm32KX> CommTest::MakeComm(int language) {
    return std::make_unique<TComm32KX>(loop, language);
}

TCommRecorder::TCommRecorder(TComm32KX& comm) {
    comm.OnCOMStatus = [this](TComm32KX&, int code, const std::string& text) {
        statuses.push_back(code);
        texts.push_back(text);
    };
    comm.OnReceive = [this](TComm32KX&, const uint8_t* buf, uint32_t size) {
        blocks.emplace_back(buf, buf + size);
    };
    comm.OnPortChange = [this](TComm32KX&) { ++portChanges; };
    comm.OnPortListChange = [this](TComm32KX&) { ++listChanges; };
    comm.OnRespTimeOver = [this](TComm32KX&) { ++timeOvers; };
}

std::vector<uint8_t> TCommRecorder::Received() const {
    std::vector<uint8_t> all;
    for (const auto& block : blocks)
        all.insert(all.end(), block.begin(), block.end());
    return all;
}

} // namespace k730::test
