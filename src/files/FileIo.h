// Whole-file reads and crash-safe writes for the program's data files, and the
// Linux form of the files' attributes: "read-only" is the absence of the write
// permission bits; "normal" gives the owner write permission back.
#pragma once

#include "protocol/MerBusFun.h"

#include <optional>
#include <span>
#include <string>

namespace k730 {

// Why a file could not be read.
enum TReadError { reNone, reMissing, reDenied, reNotRegular, reTooLarge, reNoMemory, reFailed };

// A short reason such as "permission denied", for messages that name the file.
const char* ReadErrorText(TReadError error);

// The whole file, or nothing (and the reason in `error`) when it cannot be had.
// Only a regular file is read, and only when it holds at most `limit` bytes: a
// device, a FIFO or a folder is refused without waiting for a writer, and an
// oversized file is refused before it fills the memory.
std::optional<TBytes> ReadWholeFile(const std::string& path, size_t limit, TReadError* error = nullptr);

bool FileExists(const std::string& path);

// Creates the folder that holds `path` when it is missing.
bool EnsureFolderOf(const std::string& path);

// Writes all of `bytes` to `fd`, resuming after interrupted or partial writes.
bool WriteAll(int fd, std::span<const uint8_t> bytes);

// Where a write that replaces `path` goes: the path itself, or the regular file
// a symbolic link there points to (the link stays). Nothing but a previous
// regular file is ever replaced, so when anything else has the name (a folder,
// a device, a link that points nowhere) `path` is empty and `problem` says what.
struct TWriteTarget {
    std::string path;
    const char* problem = nullptr;
};
TWriteTarget ResolveWriteTarget(const std::string& path);

// Replaces `path` with `bytes` so that a crash or a full disk leaves either the
// old file or the new one whole: a temporary file in the same folder is written,
// flushed to disk, given its final permissions and renamed over the old file.
// Fails without touching anything when the name is taken by other than a file.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes, bool readOnly);

// Flushes the folder entry of `path` (after a rename or a creation).
void SyncFolderOf(const std::string& path);

// Read-only on disk: the write permission bits cleared. Errors are ignored;
// the files stay usable without their attributes.
void SetReadOnly(const std::string& path);
// Normal: the owner may write again.
void SetWritable(const std::string& path);
bool IsReadOnly(const std::string& path);

// A free name beside `path` for the bytes of a damaged file: path + ".damaged",
// then ".damaged.1", ".damaged.2" ... so an earlier copy is never replaced.
std::string FreeDamagedName(const std::string& path);

// Last-write time as a local day count since 1899-12-30, when it can be read.
std::optional<double> FileTimeDays(const std::string& path);
bool SetFileTimeDays(const std::string& path, double days);

} // namespace k730
