#include "service/ResultAnnouncement.h"

#include "protocol/ByteOrder.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace k730 {

namespace {

void AppendName(TBytes& out, std::string_view name) {
    const size_t at = out.size();
    out.resize(at + RESULT_NAME_FIELD, 0);
    std::memcpy(out.data() + at, name.data(), std::min(name.size(), RESULT_NAME_FIELD));
}

bool NameAt(std::span<const uint8_t> d, size_t at, std::string_view name) {
    for (size_t i = 0; i < RESULT_NAME_FIELD; ++i) {
        const uint8_t expected = i < name.size() ? static_cast<uint8_t>(name[i]) : 0;
        if (d[at + i] != expected) return false;
    }
    return true;
}

// The folder only this user may enter: listeners are told file names there.
bool PrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

} // namespace

TBytes ResultAnnouncementDatagram(std::string_view fileName, uint32_t lParam) {
    TBytes out;
    out.reserve(RESULT_ANNOUNCEMENT_HEADER + fileName.size());
    AppendName(out, RESULT_MESSAGE_NAME);
    AppendU32(out, static_cast<uint32_t>(fileName.size()));
    AppendU32(out, lParam);
    AppendName(out, RESULT_BLOCK_NAME);
    out.insert(out.end(), fileName.begin(), fileName.end());
    return out;
}

std::optional<TResultAnnouncement> ParseResultAnnouncement(std::span<const uint8_t> d) {
    if (d.size() < RESULT_ANNOUNCEMENT_HEADER || !NameAt(d, 0, RESULT_MESSAGE_NAME) ||
        !NameAt(d, 40, RESULT_BLOCK_NAME))
        return std::nullopt;
    const uint32_t length = ReadU32(d, 32);
    if (d.size() - RESULT_ANNOUNCEMENT_HEADER != length) return std::nullopt;
    TResultAnnouncement a;
    a.lParam = ReadU32(d, 36);
    a.fileName.assign(reinterpret_cast<const char*>(d.data()) + RESULT_ANNOUNCEMENT_HEADER, length);
    return a;
}

fs::path ResultAnnouncementFolder() {
    if (const char* over = std::getenv("K730_SHARE_DIR"); over && *over) return fs::path(over);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return fs::path(runtime) / "k730" / RESULT_MESSAGE_NAME;
    return fs::path("/tmp") / ("k730-" + std::to_string(::getuid())) / RESULT_MESSAGE_NAME;
}

int AnnounceResultFile(std::string_view fileName, uint32_t lParam) {
    const fs::path folder = ResultAnnouncementFolder();
    if (!PrivateFolder(folder)) return 0;
    const int s = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return 0;
    const TBytes datagram = ResultAnnouncementDatagram(fileName, lParam);
    int reached = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_socket(ec)) continue;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = entry.path().string();
        if (path.size() >= sizeof address.sun_path) continue;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const ssize_t sent = ::sendto(s, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (sent == static_cast<ssize_t>(datagram.size())) ++reached;
    }
    ::close(s);
    return reached;
}

} // namespace k730
