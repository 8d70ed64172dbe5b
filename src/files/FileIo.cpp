#include "files/FileIo.h"

#include "files/DayCount.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace k730 {
namespace {

constexpr mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::string FolderOf(const std::string& path) {
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

TReadError ReadOpenFile(int fd, size_t limit, TBytes& bytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return reFailed;
    if (!S_ISREG(st.st_mode)) return reNotRegular;
    if (static_cast<uint64_t>(st.st_size) > limit) return reTooLarge;
    try {
        bytes.reserve(static_cast<size_t>(st.st_size));
        uint8_t block[65536];
        for (;;) {
            const ssize_t n = ::read(fd, block, sizeof block);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return reFailed;
            if (n == 0) return reNone;
            // The file may grow while it is read.
            if (static_cast<size_t>(n) > limit - bytes.size()) return reTooLarge;
            bytes.insert(bytes.end(), block, block + n);
        }
    } catch (const std::bad_alloc&) {
        return reNoMemory;
    }
}

} // namespace

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

const char* ReadErrorText(TReadError error) {
    switch (error) {
    case reNone:
        return "read";
    case reMissing:
        return "no such file";
    case reDenied:
        return "permission denied";
    case reNotRegular:
        return "not a regular file";
    case reTooLarge:
        return "too large for its format";
    case reNoMemory:
        return "not enough memory to read it";
    case reFailed:
        break;
    }
    return "cannot be read";
}

std::optional<TBytes> ReadWholeFile(const std::string& path, size_t limit, TReadError* error) {
    TReadError unused = reNone;
    TReadError& why = error ? *error : unused;
    why = reNone;
    // Non-blocking, so that opening a FIFO does not wait for a writer; the type is
    // judged on the opened descriptor, so it cannot change between check and read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = (errno == ENOENT || errno == ENOTDIR) ? reMissing
              : (errno == EACCES || errno == EPERM) ? reDenied
                                                    : reFailed;
        return std::nullopt;
    }
    TBytes bytes;
    why = ReadOpenFile(fd, limit, bytes);
    ::close(fd);
    if (why != reNone) return std::nullopt;
    return bytes;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EnsureFolderOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = FolderOf(path);
    if (std::filesystem::is_directory(folder, ec)) return true;
    std::filesystem::create_directories(folder, ec);
    return !ec && std::filesystem::is_directory(folder, ec);
}

void SyncFolderOf(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

TWriteTarget ResolveWriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {path};
    std::string target = path;
    if (S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real || ::stat(real, &st) != 0) {
            std::free(real);
            return {{}, "a link that points nowhere"};
        }
        target = real;
        std::free(real);
        if (S_ISREG(st.st_mode)) return {target};
    }
    return {{}, S_ISDIR(st.st_mode) ? "a folder" : "not a regular file"};
}

bool WriteFileAtomic(const std::string& name, std::span<const uint8_t> bytes, bool readOnly) {
    const TWriteTarget target = ResolveWriteTarget(name);
    if (target.problem) return false;
    const std::string& path = target.path;
    if (!EnsureFolderOf(path)) return false;
    std::string temp = path + ".tmpXXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const mode_t mode = readOnly ? 0444 : 0644;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0 && ::fchmod(fd, mode) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

void SetReadOnly(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) ::chmod(path.c_str(), st.st_mode & ~writeBits & 07777);
}

void SetWritable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) ::chmod(path.c_str(), (st.st_mode | S_IWUSR) & 07777);
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & writeBits) == 0;
}

std::string FreeDamagedName(const std::string& path) {
    std::string name = path + ".damaged";
    for (int i = 1; std::filesystem::exists(name); ++i)
        name = path + ".damaged." + std::to_string(i);
    return name;
}

std::optional<double> FileTimeDays(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return TimeToDays(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

bool SetFileTimeDays(const std::string& path, double days) {
    const auto when = DaysToTime(days);
    if (!when) return false;
    const timespec times[2] = {*when, *when};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

} // namespace k730
