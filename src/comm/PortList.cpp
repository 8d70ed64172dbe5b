#include "comm/PortList.h"

#include "comm/VirtualPorts.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace k730 {

namespace {

// Upper-case to lower-case second bytes of the Polish letters in UTF-8:
// Ą Ć Ę Ł Ń Ś Ź Ż (lead byte C4/C5, lower case is the next code) and Ó (C3 93 / C3 B3).
bool FoldPolish(unsigned char lead, unsigned char& second) {
    if (lead == 0xC3 && second == 0x93) {
        second = 0xB3;
        return true;
    }
    const bool c4 = lead == 0xC4 && (second == 0x84 || second == 0x86 || second == 0x98);
    const bool c5 = lead == 0xC5 &&
                    (second == 0x81 || second == 0x83 || second == 0x9A || second == 0xB9 || second == 0xBB);
    if (!c4 && !c5) return false;
    ++second;
    return true;
}

std::string SortKey(const std::string& name, size_t length) {
    std::string key = FoldPortName(name);
    const auto digit = std::find_if(key.begin(), key.end(),
                                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (digit != key.end() && key.size() < length) key.insert(digit, length - key.size(), '0');
    return key;
}

} // namespace

std::string FoldPortName(std::string_view name) {
    std::string out(name);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            out[i] = static_cast<char>(std::tolower(c));
        } else if (i + 1 < out.size()) {
            auto second = static_cast<unsigned char>(out[i + 1]);
            if (FoldPolish(c, second)) out[i + 1] = static_cast<char>(second);
        }
    }
    return out;
}

bool IsNoPortName(std::string_view name) {
    return name.empty() || name == "0" || SamePortName(name, "żaden") || SamePortName(name, "none");
}

std::vector<std::string> SortPortNames(std::vector<std::string> names) {
    size_t longest = 0;
    for (const auto& name : names)
        longest = std::max(longest, name.size());
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names)
        keyed.emplace_back(SortKey(name, longest), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> sorted;
    sorted.reserve(keyed.size());
    for (auto& entry : keyed)
        sorted.push_back(std::move(entry.second));
    return sorted;
}

TPortScan ScanPorts() {
    std::vector<std::string> all = ListSystemSerialPorts();
    for (auto& name : ListVirtualPorts())
        all.push_back(std::move(name));
    std::map<std::string, int> seen;
    TPortScan scan;
    for (const auto& name : all) {
        if (++seen[name] == 2) scan.duplicates.push_back(name);
    }
    scan.names = SortPortNames(std::move(all));
    return scan;
}

} // namespace k730
