// A cooperating program's side of the results-file announcement: a datagram
// socket bound in the announcement folder, read without waiting.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstring>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace k730::test {

class TAnnouncementListener {
public:
    explicit TAnnouncementListener(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~TAnnouncementListener() { ::close(fd_); }
    TAnnouncementListener(const TAnnouncementListener&) = delete;
    TAnnouncementListener& operator=(const TAnnouncementListener&) = delete;

    bool Bound() const { return bound_; }
    // The next datagram, or nothing when none is waiting.
    std::optional<TBytes> Take() {
        TBytes buffer(65536);
        const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (got < 0) return std::nullopt;
        buffer.resize(static_cast<size_t>(got));
        return buffer;
    }

private:
    int fd_ = -1;
    bool bound_ = false;
};

} // namespace k730::test
