// The list of serial ports: the system's serial devices and the virtual
// ports, named and sorted the way the port selector shows them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace k730 {

// Case-folded form of a port name for comparison: ASCII letters and the
// Polish letters (so "ŻADEN" and "żaden" compare equal).
std::string FoldPortName(std::string_view name);
inline bool SamePortName(std::string_view a, std::string_view b) {
    return FoldPortName(a) == FoldPortName(b);
}

// "0", the empty name and both languages' no-port names in any letter case.
bool IsNoPortName(std::string_view name);

// Natural order: every name is padded with '0' before its first digit to the
// length of the longest name, then compared without regard to case, so COM1,
// COM2, COM10 (and ttyS2 before ttyS10). Equal keys keep their order.
std::vector<std::string> SortPortNames(std::vector<std::string> names);

struct TPortScan {
    std::vector<std::string> names;      // sorted, without the no-port entry
    std::vector<std::string> duplicates; // names met more than once
};

// System serial devices and virtual ports, sorted.
TPortScan ScanPorts();

// --- Platform part (PortListLinux.cpp) ---------------------------------------
// Serial devices with a real device behind them (ttyUSB0, ttyACM0, hardware ttyS*).
std::vector<std::string> ListSystemSerialPorts();
// The device a port name opens: the virtual port's link, else the system device.
std::string PortDevicePath(const std::string& name);

} // namespace k730
