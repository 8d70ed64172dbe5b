// The datagram by which a running instance tells the others that it released a
// port: the port name followed by one zero byte.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace k730 {

// Longest port name that is announced.
constexpr size_t MAX_ANNOUNCED_PORT = 255;

// The datagram for `port`; empty when the name is empty, too long or holds a zero byte.
TBytes PortAnnouncement(const std::string& port);

// The port a received datagram names: the bytes up to its first zero byte, or
// all of it when there is none. A datagram that names no port or a longer one
// than is ever announced is not an announcement.
std::optional<std::string> AnnouncedPort(std::span<const uint8_t> datagram);

} // namespace k730
