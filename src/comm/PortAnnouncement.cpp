#include "comm/PortAnnouncement.h"

#include <algorithm>

namespace k730 {

TBytes PortAnnouncement(const std::string& port) {
    if (port.empty() || port.size() > MAX_ANNOUNCED_PORT || port.find('\0') != std::string::npos) return {};
    TBytes datagram(port.begin(), port.end());
    datagram.push_back(0);
    return datagram;
}

std::optional<std::string> AnnouncedPort(std::span<const uint8_t> datagram) {
    const auto end = std::find(datagram.begin(), datagram.end(), uint8_t{0});
    const auto length = static_cast<size_t>(end - datagram.begin());
    if (length == 0 || length > MAX_ANNOUNCED_PORT) return std::nullopt;
    return std::string(datagram.begin(), end);
}

} // namespace k730
