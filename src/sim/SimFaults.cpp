#include "sim/SimFaults.h"

#include <sstream>

namespace k730::sim {

namespace {

bool ReadCount(std::istringstream& in, int& value, int fallback, std::string& error,
               const std::string& what) {
    std::string word;
    if (!(in >> word)) {
        if (fallback >= 0) {
            value = fallback;
            return true;
        }
        error = what + ": number missing";
        return false;
    }
    try {
        size_t used = 0;
        const long v = std::stol(word, &used);
        if (used != word.size() || v < 0 || v > 3600000) throw std::out_of_range(word);
        value = static_cast<int>(v);
        return true;
    } catch (const std::exception&) {
        error = what + ": not a count: " + word;
        return false;
    }
}

std::optional<bool> ReadOnOff(std::istringstream& in) {
    std::string word;
    in >> word;
    if (word == "on" || word == "1") return true;
    if (word == "off" || word == "0") return false;
    return std::nullopt;
}

} // namespace

bool ApplyFaultCommand(const std::string& words, TSimFaults& faults, TSimLineEvent& event,
                       std::string& error) {
    std::istringstream in(words);
    std::string name;
    in >> name;
    TSimLineEvent once;
    TSimFaults next = faults; // changed only when the whole command is good
    int n = 0;
    if (name == "none") {
        next = {};
    } else if (name == "stop") {
        if (!ReadCount(in, n, -1, error, "fault stop")) return false;
        next.stopAfter = n;
    } else if (name == "garbage") {
        if (!ReadCount(in, next.garbageBytes, -1, error, "fault garbage")) return false;
    } else if (name == "split") {
        if (!ReadCount(in, next.splitPauseMs, -1, error, "fault split")) return false;
    } else if (name == "slow") {
        if (!ReadCount(in, next.slowMs, -1, error, "fault slow")) return false;
    } else if (name == "echo") {
        const auto on = ReadOnOff(in);
        if (!on) {
            error = "fault echo: on or off";
            return false;
        }
        next.echo = *on;
    } else if (name == "address" || name == "answer-as") {
        std::string word;
        in >> word;
        std::optional<uint16_t>& target = name == "address" ? next.otherAddress : next.answerAs;
        if (word == "off") {
            target.reset();
        } else {
            try {
                size_t used = 0;
                const unsigned long v = std::stoul(word, &used, 16);
                if (used != word.size() || v >= 0xFFFF) throw std::out_of_range(word);
                target = static_cast<uint16_t>(v);
            } catch (const std::exception&) {
                error = "fault " + name + ": a hexadecimal address 0..FFFE or off";
                return false;
            }
        }
    } else if (name == "refuse") {
        std::string word;
        in >> word;
        if (word == "off") {
            next.refused.reset();
        } else {
            try {
                size_t used = 0;
                const unsigned long v = std::stoul(word, &used, 0); // 99 or 0x63
                if (used != word.size() || v == 0 || v >= 0x7F) throw std::out_of_range(word);
                next.refused = static_cast<uint8_t>(v);
            } catch (const std::exception&) {
                error = "fault refuse: a command code 1..0x7E or off";
                return false;
            }
        }
    } else if (name == "break") {
        once.kind = TSimLineEvent::TKind::leBreak;
        if (!ReadCount(in, once.durationMs, 250, error, "fault break")) return false;
    } else if (name == "unplug") {
        once.kind = TSimLineEvent::TKind::leUnplug;
        if (!ReadCount(in, once.durationMs, 2000, error, "fault unplug")) return false;
    } else {
        error = "fault: unknown fault \"" + name + "\"";
        return false;
    }
    std::string rest;
    if (in >> rest) {
        error = "fault " + name + ": unexpected \"" + rest + "\"";
        return false;
    }
    faults = next;
    event = once;
    return true;
}

} // namespace k730::sim
