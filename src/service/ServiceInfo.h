// The service window's information page and its place on the screen: the
// label texts of the meter information page (their prefixes follow the
// program language, padded to one width) and where the window goes beside
// the main window. Pure functions.
#pragma once

#include "main/MeterInfo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace k730 {

enum TInfoLabel : uint8_t { ilSerial, ilYear, ilKind, ilLum, ilRange, ilDefRange, ilConfig, ilVersion };
constexpr size_t INFO_LABEL_COUNT = 8;
using TInfoTexts = std::array<std::string, INFO_LABEL_COUNT>;

// Width of a text in the window's font; by default its character count.
using TTextMeasure = std::function<int(const std::string&)>;

// Each prefix followed by a blank, then padded with blanks until it is as
// wide as the widest one.
TInfoTexts InfoPrefixes(int lang, const TTextMeasure& width = {});

// Serial number, year, kind, luminance mode, ranges and firmware version of
// an identity answer (the other two labels keep their bare prefix).
TInfoTexts InfoIdentityTexts(const TInfoTexts& prefixes, const TMeterInfo& info, int lang,
                             char decimalSeparator);
// Prefix and the eight bits, bit 7 first.
std::string InfoConfigText(const TInfoTexts& prefixes, uint8_t config);
// Prefix and the default range's full scale (no space, no unit); the bare
// prefix when the meter has no such range.
std::string InfoDefaultRangeText(const TInfoTexts& prefixes, const TMeterInfo& info, uint8_t index,
                                 char decimalSeparator);

// Eight digits 0/1, bit 7 first ("00000101" for 5).
std::string BitsText(uint8_t value);

// Where the service window opens: its left edge at the main window's right
// edge and its top at the main window's top. When that leaves the work area
// on the right, it goes against the right edge and the main window moves
// left to end where it begins (not past the left edge of the work area).
struct TScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};
struct TServicePlacement {
    int x = 0, y = 0; // service window
    int mainX = 0;    // main window
};
TServicePlacement PlaceServiceWindow(const TScreenRect& main, int width, int height, const TScreenRect& work);

} // namespace k730
