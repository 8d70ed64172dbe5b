// Virtual serial ports: symbolic links in a per-user folder whose link name is
// the port name and whose target is a pseudo-terminal (or any tty). The meter
// simulator and socat pairs register here; the port list shows them beside
// the system's serial devices.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace k730 {

// $XDG_RUNTIME_DIR/k730/ports, or /tmp/k730-<uid>/ports when XDG_RUNTIME_DIR is unset.
// The environment variable K730_PORTS_DIR overrides both (tests use a folder of their own).
std::filesystem::path VirtualPortFolder();

// Creates (or replaces) the link `name` -> `target` in the folder, creating the folder.
// Returns false and leaves a message in `error` when it cannot.
bool RegisterVirtualPort(const std::string& name, const std::filesystem::path& target, std::string& error);

// Removes the link `name` if it is one; true when nothing is left behind.
bool UnregisterVirtualPort(const std::string& name);

// Names of the registered links whose target exists now (a link left behind
// by a simulator that has ended points nowhere and is not a port).
std::vector<std::string> ListVirtualPorts();

} // namespace k730
