// k730-tool ports and identify against pseudo-terminals and the simulator.
#include "support/SimProcess.h"
#include "support/TestSupport.h"

#include "comm/VirtualPorts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace k730 {
namespace {

struct TRun {
    int status = -1;
    std::string out;
    std::string err; // standard error
};

TRun RunTool(const std::string& args) {
    const std::string errFile = testing::TempDir() + "k730_port_err_" +
                                testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    const std::string command = test::BuildDir() + "/src/tool/k730-tool " + args + " 2>" + errFile;
    const test::TCommandRun result = test::RunCommand(command);
    std::ifstream in(errFile);
    return TRun{result.status, result.out, std::string(std::istreambuf_iterator<char>(in), {})};
}

// A pty nobody answers on, registered as a virtual port.
struct TSilentPort {
    int master = -1, slave = -1;
    TSilentPort(const std::string& name) {
        char path[256] = {};
        EXPECT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
        std::string error;
        EXPECT_TRUE(RegisterVirtualPort(name, path, error)) << error;
    }
    ~TSilentPort() {
        close(master);
        close(slave);
    }
};

// A meter that refuses whatever it is asked: it answers the first request
// written to the registered pty with a refusal of that request's command.
struct TRefusingPort : TSilentPort {
    std::thread peer;
    explicit TRefusingPort(const std::string& name) : TSilentPort(name) {
        peer = std::thread([fd = master] {
            std::string request;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (request.size() < 8 && std::chrono::steady_clock::now() < deadline) {
                pollfd p{fd, POLLIN, 0};
                char chunk[64];
                if (poll(&p, 1, 100) > 0 && (p.revents & POLLIN)) {
                    const ssize_t n = read(fd, chunk, sizeof chunk);
                    if (n > 0) request.append(chunk, static_cast<size_t>(n));
                }
            }
            if (request.size() < 8) return;
            const unsigned char refusal[] = {
                0x68, 0x0A, 0x00, 0x7F, 0x06, 0x01, 0x00, 0x00, static_cast<unsigned char>(request[3]), 0x16};
            EXPECT_EQ(write(fd, refusal, sizeof refusal), static_cast<ssize_t>(sizeof refusal));
        });
    }
    ~TRefusingPort() { peer.join(); }
};

class PortCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/k730-tooltest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_INSTANCES_DIR", (dir_ / "instances").c_str(), 1);
        std::filesystem::create_directories(dir_ / "ports");
    }
    void TearDown() override {
        sim_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool StartSim(const std::vector<std::string>& args) {
        sim_ = std::make_unique<test::TSimProcess>(dir_ / "ports");
        return sim_->Start(args);
    }

    std::filesystem::path dir_;
    std::unique_ptr<test::TSimProcess> sim_;
};

TEST_F(PortCommandsTest, PortsListsVirtualPortsInNaturalOrder) {
    TSilentPort a("TOOL10"), b("TOOL2"), c("TOOL1");
    const TRun run = RunTool("ports");
    ASSERT_EQ(run.status, 0);
    std::vector<std::string> ours;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("TOOL", 0) == 0) ours.push_back(line);
    EXPECT_EQ(ours, (std::vector<std::string>{"TOOL1", "TOOL2", "TOOL10"}));

    const TRun json = RunTool("ports --json");
    ASSERT_EQ(json.status, 0);
    const auto names = nlohmann::json::parse(json.out);
    ASSERT_TRUE(names.is_array());
    EXPECT_EQ(names.size(), static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n')));
    EXPECT_NE(std::find(names.begin(), names.end(), "TOOL10"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "none"), names.end());
}

TEST_F(PortCommandsTest, IdentifyPrintsOneObjectWithTheMetersIdentity) {
    ASSERT_TRUE(StartSim({"--name", "SIMT", "--serial", "4321", "--year", "2019", "--kind", "130",
                          "--producer", "Line one", "--producer", "Line two"}));
    const TRun run = RunTool("identify SIMT --json");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto id = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& item : id.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"port", "address", "mode", "descriptor", "firmware", "producer",
                                        "kind", "lum_mode", "ranges", "range_count", "serial", "year"}));
    EXPECT_EQ(id["port"], "SIMT");
    EXPECT_EQ(id["kind"], 2);
    EXPECT_EQ(id["lum_mode"], true);
    EXPECT_EQ(id["serial"], 4321);
    EXPECT_EQ(id["year"], 2019);
    EXPECT_EQ(id["producer"], "Line one\nLine two");
    ASSERT_TRUE(id["ranges"].is_array());
    EXPECT_EQ(id["ranges"].size(), 3u);
    EXPECT_TRUE(id["address"].is_number_integer());
}

TEST_F(PortCommandsTest, IdentifyExitsOneWhenNoMeterAnswers) {
    TSilentPort silent("QUIET1");
    const TRun run = RunTool("identify QUIET1");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
}

TEST_F(PortCommandsTest, IdentifyReportsARefusalAsSuch) {
    TRefusingPort refusing("REFUSE1");
    const TRun run = RunTool("identify REFUSE1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "k730-tool: REFUSE1: the meter refused the identity request\n");
    TSilentPort silent("QUIET3");
    EXPECT_EQ(RunTool("identify QUIET3").err, "k730-tool: QUIET3: no meter answered\n");
}

TEST_F(PortCommandsTest, IdentifyExitsTwoOnBadArgumentsOrAPortThatDoesNotOpen) {
    TSilentPort silent("QUIET2");
    EXPECT_EQ(RunTool("identify QUIET2 --baud 12345").status, 2);
    EXPECT_EQ(RunTool("identify QUIET2 --baud fast").status, 2);
    EXPECT_EQ(RunTool("identify NOSUCHPORT").status, 2);
    EXPECT_EQ(RunTool("identify").status, 2);
}

} // namespace
} // namespace k730
