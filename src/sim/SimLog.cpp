#include "sim/SimLog.h"

#include <nlohmann/json.hpp>

namespace k730::sim {

bool TSimLog::Open(const std::string& path, std::string& error) {
    out_.open(path, std::ios::app);
    if (!out_) {
        error = path + ": cannot be opened for writing";
        return false;
    }
    return true;
}

std::string TSimLog::Entry(int64_t epochMs, const std::string& port, const char* dir, const TBytes& bytes,
                           const char* note) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t b : bytes) {
        if (!hex.empty()) hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    nlohmann::ordered_json j;
    j["t"] = epochMs;
    j["port"] = port;
    j["dir"] = dir;
    // Command (or answer code) and address where the bytes are a frame.
    const bool frame = bytes.size() >= 7 && bytes[0] == MERBUS_START && note == nullptr;
    j["cmd"] = frame ? nlohmann::ordered_json(bytes[3]) : nlohmann::ordered_json(nullptr);
    j["address"] = frame ? nlohmann::ordered_json(bytes[5] | bytes[6] << 8) : nlohmann::ordered_json(nullptr);
    j["hex"] = hex;
    if (note) j["note"] = note;
    return j.dump();
}

void TSimLog::Write(int64_t epochMs, const std::string& port, const char* dir, const TBytes& bytes,
                    const char* note) {
    if (!out_.is_open()) return;
    const std::string line = Entry(epochMs, port, dir, bytes, note);
    std::lock_guard lock(mutex_);
    out_ << line << '\n';
    out_.flush();
}

} // namespace k730::sim
