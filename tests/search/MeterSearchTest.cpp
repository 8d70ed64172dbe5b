// The meter search against simulated meters and fault ports over real
// pseudo-terminals, all searched at once.
#include "comm/CommTypes.h"
#include "comm/PlainEventLoop.h"
#include "comm/VirtualPorts.h"
#include "protocol/MerBusFrames.h"
#include "search/MeterSearch.h"
#include "search/SearchTexts.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TSearchValues DefaultValues() {
    TSearchCriteria criteria;
    PrepareCriteria(criteria, TLineSettings{});
    return SearchValues(criteria);
}

// A pseudo-terminal registered as a virtual port whose far side the test
// holds; `answer` decides what goes back for each block received.
class TFakeDevice {
public:
    TFakeDevice(const std::string& name, std::function<TBytes(const TBytes&)> answer)
        : answer_(std::move(answer)) {
        char path[256];
        EXPECT_EQ(openpty(&master_, &slave_, path, nullptr, nullptr), 0);
        std::string error;
        EXPECT_TRUE(RegisterVirtualPort(name, path, error)) << error;
        fcntl(master_, F_SETFL, O_NONBLOCK);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TFakeDevice() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    int blocks() const { return blocks_; }

private:
    void Serve() {
        while (!stop_) {
            uint8_t buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                std::this_thread::sleep_for(2ms); // the far side of a fake line; nothing to wait on
                continue;
            }
            ++blocks_;
            const TBytes reply = answer_(TBytes(buf, buf + n));
            if (!reply.empty() && ::write(master_, reply.data(), reply.size()) < 0) return;
        }
    }
    std::function<TBytes(const TBytes&)> answer_;
    int master_ = -1, slave_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> blocks_{0};
    std::thread thread_;
};

TMeterSearch::TEvents Finishing(bool& finished) {
    TMeterSearch::TEvents events;
    events.onFinished = [&finished](TSearchState) { finished = true; };
    return events;
}

class MeterSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-search-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ports");
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
    }
    void TearDown() override {
        sims_.clear();
        fs::remove_all(dir_);
        unsetenv("K730_PORTS_DIR");
        unsetenv("K730_SYSTEM_PORTS");
    }

    test::TSimProcess& Sim(const std::vector<std::string>& args, int count = 1) {
        sims_.push_back(std::make_unique<test::TSimProcess>(dir_ / "ports"));
        EXPECT_TRUE(sims_.back()->Start(args, count)) << sims_.back()->Output();
        return *sims_.back();
    }

    // Runs a search to its end; `whileSearching` is called once per found meter.
    TSearchState Run(TMeterSearch& search, bool& finished, std::chrono::seconds limit = 20s) {
        search.Start();
        EXPECT_TRUE(loop_.RunUntil([&] { return finished; }, limit));
        return search.Result();
    }

    const TSearchPort* Port(const TMeterSearch& search, const std::string& name) {
        for (const auto& p : search.Ports())
            if (p.name == name) return &p;
        return nullptr;
    }

    fs::path dir_;
    TPlainEventLoop loop_;
    std::vector<std::unique_ptr<test::TSimProcess>> sims_;
};

TEST_F(MeterSearchTest, MetersAreListedInNaturalPortOrderWithTheirIdentity) {
    Sim({"--name", "SIM10", "--serial", "77", "--year", "2019", "--address", "20"});
    Sim({"--name", "SIM1", "--serial", "123", "--year", "2015", "--descriptor", "K-730/PAR/500M/L00/0/A1"});
    Sim({"--name", "SIM2", "--baud", "19200"}); // a meter on another line setting

    bool finished = false;
    TMeterSearch search(loop_, langEnglish, DefaultValues(), Finishing(finished));
    EXPECT_EQ(Run(search, finished), srSeveral);

    const auto found = search.FoundPorts();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(search.FoundLine(found[0]), "SIM1:  K-730/PAR/500M/L00/0/A1 123/2015");
    EXPECT_EQ(search.Ports()[found[1]].name, "SIM10");
    EXPECT_EQ(search.ChoiceText(found[0]), " SIM1:  9600 N 8 1");

    const TSearchPort* mismatched = Port(search, "SIM2");
    ASSERT_NE(mismatched, nullptr);
    EXPECT_FALSE(mismatched->found);
    EXPECT_EQ(mismatched->line, "SIM2:  meter not found");
    EXPECT_EQ(mismatched->attempts, 2) << "the default criteria give each port two attempts";
}

TEST_F(MeterSearchTest, EchoBusyAndForeignAnswersEndTheirPortsAsThePortsSay) {
    test::TSimProcess& echo = Sim({"--name", "LOOP1"});
    EXPECT_EQ(echo.Control("fault echo on").rfind("ok", 0), 0u);

    // A port another program holds: an exclusive lock on the far end of a pty.
    int master = -1, slave = -1;
    char path[256];
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    std::string error;
    ASSERT_TRUE(RegisterVirtualPort("HELD1", path, error));
    const int holder = ::open(path, O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    // A device that answers, but not with an identity answer.
    TFakeDevice other("ODD1", [](const TBytes&) { return BuildAnswer(0x84, MERBUS_FIXED, 0x0001, 0, {}); });

    bool finished = false;
    TMeterSearch search(loop_, langEnglish, DefaultValues(), Finishing(finished));
    EXPECT_EQ(Run(search, finished), srOne);

    const TSearchPort* loop = Port(search, "LOOP1");
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->line, "LOOP1:  meter not found");
    EXPECT_EQ(loop->attempts, 1) << "an echo ends the port after its first attempt";

    const TSearchPort* held = Port(search, "HELD1");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->line, "HELD1:  busy");

    const TSearchPort* odd = Port(search, "ODD1");
    ASSERT_NE(odd, nullptr);
    EXPECT_TRUE(odd->found);
    EXPECT_EQ(search.FoundLine(search.FoundPorts().at(0)), "ODD1:  ");

    ::close(holder);
    ::close(slave);
    ::close(master);
}

TEST_F(MeterSearchTest, StopOffersWhatWasFoundSoFar) {
    Sim({"--name", "SIM1"});
    // A silent port keeps the search going until Stop.
    TFakeDevice silent("QUIET1", [](const TBytes&) { return TBytes{}; });

    bool finished = false;
    TMeterSearch search(loop_, langPolish, DefaultValues(), Finishing(finished));
    search.Start();
    ASSERT_TRUE(loop_.RunUntil([&] { return !search.FoundPorts().empty(); }, 10s));
    EXPECT_FALSE(search.Finished());
    search.Stop();
    ASSERT_TRUE(loop_.RunUntil([&] { return finished; }, 2s));
    EXPECT_EQ(search.Result(), srOne);
    EXPECT_EQ(search.Ports()[search.FoundPorts()[0]].name, "SIM1");
}

TEST_F(MeterSearchTest, NoSerialPortAtAllEndsAtOnce) {
    bool finished = false;
    TMeterSearch search(loop_, langEnglish, DefaultValues(), Finishing(finished));
    EXPECT_EQ(search.Start(), srNoPort);
    EXPECT_TRUE(search.Finished());

    const test::TCommandRun run = test::RunCommand(test::BuildDir() + "/src/tool/k730-tool search 2>&1");
    EXPECT_EQ(run.out, "Serial port not found.\n");
    EXPECT_EQ(run.status, 1);
}

std::string RunTool(const std::string& args, int& status) {
    const test::TCommandRun run =
        test::RunCommand(test::BuildDir() + "/src/tool/k730-tool " + args + " 2>&1");
    status = run.status;
    return run.out;
}

TEST_F(MeterSearchTest, ToolPrintsEveryPortAsTextOrJson) {
    Sim({"--name", "SIM3", "--serial", "5", "--year", "2020"});
    TFakeDevice silent("QUIET1", [](const TBytes&) { return TBytes{}; });
    int status = -1;
    const std::string text = RunTool("search", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("QUIET1:  meter not found\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" 5/2020\n"), std::string::npos) << text;
    EXPECT_LT(text.find("QUIET1"), text.find("SIM3")) << "natural port order";

    const auto all = nlohmann::json::parse(RunTool("search --json", status));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1]["port"], "SIM3");
    EXPECT_EQ(all[1]["found"], true);
    EXPECT_EQ(all[1]["baud"], 9600);
    EXPECT_EQ(all[1]["parity"], "N");
    EXPECT_EQ(all[1]["data_bits"], 8);
    EXPECT_EQ(all[1]["stop_bits"], "1");
    EXPECT_EQ(all[0]["found"], false);
    EXPECT_EQ(all[0]["text"], "meter not found");
}

TEST(SearchCriteria, BaudVariesSlowestAndStopBitsFastest) {
    TSearchCriteria c;
    PrepareCriteria(c, TLineSettings{br019200, dbSeven, pbEven, sbTwo});
    c.baudSelected.Add(br009600);
    c.baudSelected.Add(br019200);
    c.paritySelected = TSettingSet{(1u << pbNone) | (1u << pbEven)};
    c.parityAllowed = c.paritySelected;
    EXPECT_EQ(SearchValues(c).Combinations(), 0u) << "7 data bits are selected but not allowed";
    c.dataSelected.Add(dbEight);
    c.stopAllowed = c.stopSelected = TSettingSet{(1u << sbOne) | (1u << sbTwo)};
    const TSearchValues v = SearchValues(c);
    ASSERT_EQ(v.bauds, (std::vector<TBaudRate>{br019200, br009600})); // fastest first
    ASSERT_EQ(v.Combinations(), 2u * 2u * 1u * 2u);                   // data bits: only 8 allowed
    EXPECT_EQ(Combination(v, 0), (TLineSettings{br019200, dbEight, pbNone, sbOne}));
    EXPECT_EQ(Combination(v, 1), (TLineSettings{br019200, dbEight, pbNone, sbTwo}));
    EXPECT_EQ(Combination(v, 2), (TLineSettings{br019200, dbEight, pbEven, sbOne}));
    EXPECT_EQ(Combination(v, 4), (TLineSettings{br009600, dbEight, pbNone, sbOne}));
}

TEST(SearchTexts, StatusTextsLowerCaseInBothLanguages) {
    EXPECT_EQ(LowerStatusText("Zajęty"), "zajęty");
    EXPECT_EQ(LowerStatusText("Nie znaleziono portu"), "nie znaleziono portu");
    EXPECT_EQ(LowerStatusText("Port not found"), "port not found");
    EXPECT_EQ(LowerStatusText("ŻÓŁĆ"), "żółć");
}

} // namespace
} // namespace k730
