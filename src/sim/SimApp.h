// The running simulator: one pseudo-terminal (or given tty), meter and line
// channel per simulated meter, the control channel, and the poll loop that
// moves bytes between them. Everything meter-like lives in TSimMeter and
// TSimChannel; this is the thin OS layer.
#pragma once

#include "sim/SimChannel.h"
#include "sim/SimControl.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"

#include <memory>
#include <string>
#include <vector>

namespace k730::sim {

class TSimApp {
public:
    explicit TSimApp(TSimOptions options);
    ~TSimApp();

    // Creates the meters, opens and registers their ports, opens the log and
    // the control channel. A message in `error` when something cannot be had.
    bool Start(std::string& error);
    // Runs until "quit" or SIGINT/SIGTERM/SIGHUP; the links are removed on the way out.
    int Run();

private:
    struct TUnit {
        std::string name;
        std::string stateFile;
        std::unique_ptr<TSimMeter> meter;
        std::unique_ptr<TSimChannel> channel;
        TSimPort port;
        int64_t replugAtUs = -1; // unplugged until then
    };
    struct TClient {
        int fd;
        std::string pending; // a command line not yet ended
    };

    int64_t NowUs() const;
    bool OpenPort(TUnit& unit, std::string& error);
    bool OpenControl(std::string& error);
    void PollOnce();
    int TimeoutMs(int64_t nowUs) const;
    void ServicePorts(int64_t nowUs);
    void ReadControl(int fd, std::string& pending, bool& closed);
    void RunControlLine(const std::string& line, int replyFd);
    void SaveStates();
    void Announce(const TUnit& unit);

    TSimOptions options_;
    TLineSettings line_;
    TSimLog log_;
    std::vector<std::unique_ptr<TUnit>> units_;
    std::unique_ptr<TSimControl> control_;
    int64_t startNs_ = 0;
    int signalFd_ = -1;
    bool stdinOpen_ = false;
    std::string stdinPending_;
    int listenFd_ = -1;
    std::vector<TClient> clients_;
    bool quit_ = false;
};

} // namespace k730::sim
