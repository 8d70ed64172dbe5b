// What the meter search tries on each port: for each of the four line
// settings an allowed set and a selected set, the values tried being their
// intersection. One record lives for the whole program run and every search
// dialog shares it, so a user's choice survives closing the dialog.
#pragma once

#include "comm/CommTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace k730 {

// The search offers the baud rates 2400 .. 115200.
constexpr TBaudRate SEARCH_BAUD_MIN = br002400;
constexpr TBaudRate SEARCH_BAUD_MAX = br115200;

// A set of ordinals (bit i = value i) of one line setting.
struct TSettingSet {
    uint16_t bits = 0;

    bool Has(int value) const { return (bits >> value) & 1u; }
    void Add(int value) { bits = static_cast<uint16_t>(bits | (1u << value)); }
    bool Empty() const { return bits == 0; }
    friend bool operator==(const TSettingSet&, const TSettingSet&) = default;
};

struct TSearchCriteria {
    // Allowed: 9600 baud plus every baud the dialog was opened with; none; 8; 1.
    TSettingSet baudAllowed{1u << br009600};
    TSettingSet parityAllowed{1u << pbNone};
    TSettingSet dataAllowed{1u << dbEight};
    TSettingSet stopAllowed{1u << sbOne};
    // Selected: empty at program start.
    TSettingSet baudSelected, paritySelected, dataSelected, stopSelected;
};

// When a dialog is created: the initial baud becomes allowed, and each empty
// selected set becomes the initial setting.
void PrepareCriteria(TSearchCriteria& criteria, const TLineSettings& initial);

// The values a search tries, in the order it tries them: baud rates fastest
// first, the others from the lowest ordinal.
struct TSearchValues {
    std::vector<TBaudRate> bauds;
    std::vector<TParityBit> parities;
    std::vector<TDataBits> dataBits;
    std::vector<TStopBits> stopBits;

    size_t Combinations() const { return bauds.size() * parities.size() * dataBits.size() * stopBits.size(); }
};

TSearchValues SearchValues(const TSearchCriteria& criteria);

// Line settings of combination k (k < Combinations()): baud varies slowest,
// stop bits fastest.
TLineSettings Combination(const TSearchValues& values, size_t k);

} // namespace k730
