// Linux serial devices from /sys/class/tty.
#include "comm/PortList.h"

#include "comm/VirtualPorts.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace k730 {

namespace {

// Every ttyS* the 8250 driver reserves is listed in /sys even without a UART
// behind it; those report port type 0 (unknown).
bool IsPhantomUart(const fs::path& entry) {
    std::ifstream type(entry / "type");
    int value = -1;
    return (type >> value) && value == 0;
}

} // namespace

std::vector<std::string> ListSystemSerialPorts() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code entryError;
        if (!fs::exists(entry.path() / "device", entryError)) continue; // consoles, ptys, virtual terminals
        if (name.rfind("ttyS", 0) == 0 && IsPhantomUart(entry.path())) continue;
        if (!fs::exists(fs::path("/dev") / name, entryError)) continue;
        names.push_back(name);
    }
    return names;
}

std::string PortDevicePath(const std::string& name) {
    std::error_code ec;
    const fs::path link = VirtualPortFolder() / name;
    if (name.find('/') == std::string::npos && fs::is_symlink(fs::symlink_status(link, ec)))
        return link.string();
    return (fs::path("/dev") / name).string();
}

} // namespace k730
