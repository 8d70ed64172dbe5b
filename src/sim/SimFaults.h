// Faults a simulated meter can be told to show, for training and for
// reproducing what goes wrong on real lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace k730::sim {

struct TSimFaults {
    std::optional<int> stopAfter;         // answers still to give before the meter falls silent
    int garbageBytes = 0;                 // random bytes sent after every answer
    int splitPauseMs = 0;                 // answers go out in two halves this far apart (0 = whole)
    int slowMs = 0;                       // extra delay before every answer
    bool echo = false;                    // a loopback plug: every byte comes straight back, no meter
    std::optional<uint16_t> otherAddress; // another meter answers (its address)
    std::optional<uint8_t> refused;       // this command is refused (a write-protected memory, say)
    std::optional<uint16_t> answerAs;     // a second meter: answers come from this address
};

// Line events that happen once when asked for.
struct TSimLineEvent {
    enum class TKind : uint8_t { leNone, leBreak, leUnplug } kind = TKind::leNone;
    int durationMs = 0; // break length, or time until the port is plugged in again
};

// Applies one fault command (the words after "fault"): "none", "stop N",
// "garbage N", "split MS", "slow MS", "echo on|off", "address HEX|off",
// "refuse CODE|off", "answer-as HEX|off", "break [MS]", "unplug [MS]".
// Returns false with a message for bad text.
bool ApplyFaultCommand(const std::string& words, TSimFaults& faults, TSimLineEvent& event,
                       std::string& error);

} // namespace k730::sim
