#include "comm/VirtualPorts.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace k730 {

fs::path VirtualPortFolder() {
    if (const char* over = std::getenv("K730_PORTS_DIR"); over && *over) return fs::path(over);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return fs::path(runtime) / "k730" / "ports";
    return fs::path("/tmp") / ("k730-" + std::to_string(getuid())) / "ports";
}

bool RegisterVirtualPort(const std::string& name, const fs::path& target, std::string& error) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        error = "invalid port name: " + name;
        return false;
    }
    std::error_code ec;
    const fs::path folder = VirtualPortFolder();
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder.string() + ": " + ec.message();
        return false;
    }
    const fs::path link = folder / name;
    fs::remove(link, ec); // a stale link from a run that did not end cleanly
    fs::create_symlink(target, link, ec);
    if (ec) {
        error = link.string() + ": " + ec.message();
        return false;
    }
    return true;
}

bool UnregisterVirtualPort(const std::string& name) {
    std::error_code ec;
    const fs::path link = VirtualPortFolder() / name;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) return !fs::exists(fs::symlink_status(link, ec));
    return fs::remove(link, ec) && !ec;
}

std::vector<std::string> ListVirtualPorts() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(VirtualPortFolder(), ec)) {
        std::error_code entryError;
        if (fs::is_symlink(entry.symlink_status(entryError)) && fs::exists(entry.path(), entryError))
            names.push_back(entry.path().filename().string());
    }
    return names;
}

} // namespace k730
