// The traffic log of --log FILE: one JSON object per line for every request
// received and every answer (or garbage, echo, break) sent.
#pragma once

#include "protocol/MerBusFun.h"

#include <fstream>
#include <mutex>
#include <string>

namespace k730::sim {

class TSimLog {
public:
    TSimLog() = default;
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return out_.is_open(); }

    // dir is "rx" (from the program) or "tx" (to it); note tells what a tx
    // that is not an answer is ("garbage", "echo", "break", "line mismatch").
    void Write(int64_t epochMs, const std::string& port, const char* dir, const TBytes& bytes,
               const char* note = nullptr);

    // The JSON text of one entry, without the line end.
    static std::string Entry(int64_t epochMs, const std::string& port, const char* dir, const TBytes& bytes,
                             const char* note);

private:
    std::mutex mutex_; // guards out_: several meters write to one log
    std::ofstream out_;
};

} // namespace k730::sim
