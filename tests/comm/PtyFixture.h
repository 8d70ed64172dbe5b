// A pseudo-terminal registered as a virtual port in a folder of the test's
// own; the test holds the master side and plays the meter.
#pragma once

#include "comm/Comm32KX.h"
#include "comm/PlainEventLoop.h"
#include "main/K730Lang.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace k730::test {

class TPty {
public:
    TPty();
    ~TPty();
    TPty(const TPty&) = delete;
    TPty& operator=(const TPty&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    void Write(const std::vector<uint8_t>& bytes) const;
    // Reads until `count` bytes came or `timeout` passed.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout) const;
    void CloseMaster();
    int Master() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1; // held by the test too, so the slave node stays while the master lives
    std::string slavePath_;
};

// Fresh port and instance folders for every test, and a loop to run the component on.
class CommTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers `pty` under `name` in the test's port folder.
    void Register(const std::string& name, const TPty& pty);
    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return loop.RunUntil(done, timeout);
    }
    // A component on `loop` whose port list already shows the registered ports.
    std::unique_ptr<TComm32KX> MakeComm(int language = langEnglish);

    TPlainEventLoop loop;
    std::filesystem::path folder;
};

// Records every event of one component.
struct TCommRecorder {
    explicit TCommRecorder(TComm32KX& comm);
    std::vector<int> statuses;
    std::vector<std::string> texts;
    std::vector<std::vector<uint8_t>> blocks;
    std::vector<uint8_t> Received() const;
    int portChanges = 0;
    int listChanges = 0;
    int timeOvers = 0;
};

} // namespace k730::test
