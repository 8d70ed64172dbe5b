// The buffer viewer's file: "VudIDO ", a version text ended by a blank, then
// the records of the three buffers in sequence order (buffer id, u32 size, bytes).
#pragma once

#include "files/FileMessage.h"
#include "traffic/TrafficBuffers.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

constexpr std::string_view BUFFER_FILE_MAGIC = "VudIDO ";
constexpr std::string_view BUFFER_FILE_VERSION = "1.3";
// The largest buffer file that is loaded: each of the three buffers counts its
// bytes in 32 bits, so a recording never holds more than three times 4 GiB.
constexpr size_t BUFFER_FILE_LIMIT = size_t{3} << 32;

struct TBufferFileRecord {
    uint8_t buffer = 0;
    std::span<const uint8_t> bytes;
};

struct TBufferFileRead {
    bool valid = false;
    std::string error;
    std::string version;
    std::vector<TBufferFileRecord> records; // views into the parsed bytes, file order
};

// Reads buffer file bytes; records with another buffer id than 0..2 are kept
// here (the loader skips them). Refuses versions newer than ours.
TBufferFileRead ParseBufferFile(std::span<const uint8_t> bytes);
// The file of the recorded buffers with `version` ("1.3" normally).
TBytes SerializeBufferFile(const TTrafficBuffers& buffers, std::string_view version);

// What saving over `path` must ask first: nothing, that it is not a data file,
// or that it holds an older format (then `version` is the file's).
enum TBufferOverwrite { boNew, boSameFormat, boNotDataFile, boOlderFormat };
struct TBufferSaveCheck {
    TBufferOverwrite kind = boNew;
    std::string version;
    TFileMessage question; // for boNotDataFile and boOlderFormat
};
TBufferSaveCheck CheckBufferFileForSave(const std::string& path, const std::string& shownPath);

// Nothing is written when all buffers are empty (true, no message).
struct TBufferFileOutcome {
    bool success = false;
    size_t records = 0;
    TFileMessage message;
};
TBufferFileOutcome SaveBufferFile(const std::string& path, const std::string& shownPath,
                                  const TTrafficBuffers& buffers,
                                  std::string_view version = BUFFER_FILE_VERSION);
// The records of a buffer file in buffers of their own, numbered from 1 in
// file order; records of another buffer id are skipped. Touches nothing else,
// so a window may run it off its own thread.
struct TBufferFileLoad {
    TBufferFileOutcome outcome;
    TTrafficBuffers buffers;
};
TBufferFileLoad ReadBufferFile(const std::string& path, const std::string& shownPath);
// Loaded records follow those already recorded; a file that does not read whole
// adds nothing.
TBufferFileOutcome LoadBufferFile(const std::string& path, const std::string& shownPath,
                                  TTrafficBuffers& buffers);

} // namespace k730
