// Any bit rate on Linux through the termios2 interface, so that rates without
// a B constant (14400) work too. Kept apart because <asm/termbits.h> cannot
// share a translation unit with <termios.h>.
#pragma once

#include <cstdint>

namespace k730 {

// Sets both directions of `fd` to `rate` bit/s; false when the driver refuses.
bool SetLinuxBaud(int fd, uint32_t rate);
// The output rate of `fd`; false when it cannot be read.
bool GetLinuxBaud(int fd, uint32_t& rate);

} // namespace k730
