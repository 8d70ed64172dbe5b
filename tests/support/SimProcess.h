// k730-sim as a child process for tests that talk to a meter over a real
// pseudo-terminal: started with its own virtual-port folder, driven through
// its control socket, stopped with SIGTERM.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace k730::test {

class TSimProcess {
public:
    // `portsDir` becomes the simulator's K730_PORTS_DIR; the control socket
    // lives beside it.
    explicit TSimProcess(std::filesystem::path portsDir) : portsDir_(std::move(portsDir)) {}
    ~TSimProcess() { Stop(); }
    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    // Starts k730-sim with `args` and waits until every meter reported ready
    // (`readyCount` lines "... ready on"). False when it did not come up.
    bool Start(const std::vector<std::string>& args, int readyCount = 1);
    // Sends one control command; returns the reply line (empty on failure).
    std::string Control(const std::string& command);
    void Stop();
    bool Running() const { return pid_ > 0; }
    const std::string& Output() const { return printed_; }

private:
    bool ReadUntil(const std::string& text, int count);

    std::filesystem::path portsDir_;
    std::filesystem::path socket_;
    int pid_ = -1;
    int output_ = -1;
    std::string printed_;
};

} // namespace k730::test
