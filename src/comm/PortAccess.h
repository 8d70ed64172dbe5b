// A port that exists but may not be opened by this user ("Access denied"):
// who may open it and what the user can do about it, told once per port and
// run.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace k730 {

// What the system says about the device behind a port.
struct TPortAccessFacts {
    std::string port;             // the name the user chose ("ttyUSB0", "SIM1")
    std::string device;           // the device it opens ("/dev/ttyUSB0")
    std::string group;            // the group owning the device ("dialout"); empty when unknown
    bool groupMayUse = true;      // the device's mode gives that group read and write
    bool inGroupNow = false;      // this process already has the group
    bool memberNextLogin = false; // the user is listed in it, but joined after logging in
    bool userMayOpen = true;      // this process may read and write the device
};

// Looks the device of `port` up (following a virtual port's link); nothing
// when it cannot be examined.
std::optional<TPortAccessFacts> ExaminePortAccess(const std::string& port);

// The explanation in the program's language (CR LF between lines): the group
// that owns the device and that membership in it gives access after logging
// in again, or what else stands in the way.
std::string PortAccessText(const TPortAccessFacts& facts, int language);

// The one-line form for the command-line tool.
std::string PortAccessHint(const TPortAccessFacts& facts);

// Remembers which ports the user has been told about in this run.
class TPortAccessNotices {
public:
    // The text for a port refused with "Access denied", the first time only.
    std::optional<std::string> FirstRefusal(const std::string& port, int language);

private:
    std::set<std::string> told_;
};

} // namespace k730
