// The meter descriptor the service window composes and programs: six fields
// separated by "/" — model name, spectral response, highest range, "E" or "L"
// with the measuring field, configuration number and (optional) version,
// e.g. "K-730/V/20k/L2.5°/3/A1". Numbers in it always use "." as separator,
// whatever the locale, so that every installation reads it alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace k730 {

constexpr char DESCRIPTOR_SEPARATOR = '/';

// What the descriptor is made of, as the settings page holds it.
struct TDescriptorParts {
    std::string spectral;           // blanks are removed
    bool lumMode = false;           // "L" instead of "E"
    std::string aperture;           // measuring-field text, locale separator allowed
    std::array<double, 3> ranges{}; // full scales; the highest present one names the range
    bool rangesValid = false;       // the range entries pass their checks
    uint8_t config = 0;
    std::string version; // empty: the sixth field and its "/" are left out
};

std::string ComposeDescriptor(const TDescriptorParts& parts);

// The fields read back from a descriptor (first line only).
struct TDescriptorFields {
    std::string spectral; // field 2
    std::string aperture; // field 4 without its first character when that is not a digit
    int config = 0;       // field 5; 0 when not a number 0..255
    std::string version;  // everything after the fifth "/"
};

TDescriptorFields ParseDescriptor(std::string_view descriptor);

// The model name in field 1: this product's entry of the device model table.
std::string DescriptorModelName();

} // namespace k730
