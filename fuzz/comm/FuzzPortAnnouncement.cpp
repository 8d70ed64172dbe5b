// libFuzzer: the datagram another instance sends when it releases a port. A
// name it yields is announced again as the same datagram up to its zero byte.
#include "comm/PortAnnouncement.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> datagram(data, size);
    const auto port = k730::AnnouncedPort(datagram);
    if (!port) return 0;
    if (port->empty() || port->size() > k730::MAX_ANNOUNCED_PORT || port->find('\0') != std::string::npos)
        std::abort();
    const k730::TBytes again = k730::PortAnnouncement(*port);
    if (again.size() != port->size() + 1 || k730::AnnouncedPort(again) != port) std::abort();
    return 0;
}
