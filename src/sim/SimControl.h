// The control channel: one text command per line, from standard input or a
// local socket, to change the light, temperature, faults and identity of the
// simulated meters while they run. Every command gets one reply: "ok",
// "error: ..." or the asked-for lines.
#pragma once

#include "sim/SimChannel.h"

#include <string>
#include <vector>

namespace k730::sim {

// A line event the port layer carries out (the channel cannot unplug its tty).
struct TSimPortRequest {
    size_t channel;
    TSimLineEvent event;
};

class TSimControl {
public:
    explicit TSimControl(std::vector<TSimChannel*> channels) : channels_(std::move(channels)) {}

    // Runs one command line; `requests` receives the unplugs it asks for.
    std::string Execute(const std::string& line, int64_t nowUs, std::vector<TSimPortRequest>& requests);
    bool QuitRequested() const { return quit_; }

    // The command list, for --help and the help command.
    static const char* HelpText();

private:
    std::string ExecuteOn(TSimChannel& channel, size_t index, const std::string& verb,
                          const std::string& rest, int64_t nowUs, std::vector<TSimPortRequest>& requests);
    std::string SetIdentity(TSimMeter& meter, const std::string& rest);
    static std::string Describe(TSimChannel& channel, int64_t nowMs);

    std::vector<TSimChannel*> channels_;
    bool quit_ = false;
};

} // namespace k730::sim
