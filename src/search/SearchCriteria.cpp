#include "search/SearchCriteria.h"

namespace k730 {

void PrepareCriteria(TSearchCriteria& criteria, const TLineSettings& initial) {
    criteria.baudAllowed.Add(initial.baud);
    if (criteria.baudSelected.Empty()) criteria.baudSelected.Add(initial.baud);
    if (criteria.paritySelected.Empty()) criteria.paritySelected.Add(initial.parity);
    if (criteria.dataSelected.Empty()) criteria.dataSelected.Add(initial.dataBits);
    if (criteria.stopSelected.Empty()) criteria.stopSelected.Add(initial.stopBits);
}

namespace {

template <typename T>
std::vector<T> Tried(const TSettingSet& allowed, const TSettingSet& selected, int first, int last, int step) {
    std::vector<T> values;
    for (int v = first; v != last + step; v += step)
        if (allowed.Has(v) && selected.Has(v)) values.push_back(static_cast<T>(v));
    return values;
}

} // namespace

TSearchValues SearchValues(const TSearchCriteria& c) {
    TSearchValues values;
    values.bauds = Tried<TBaudRate>(c.baudAllowed, c.baudSelected, SEARCH_BAUD_MAX, SEARCH_BAUD_MIN, -1);
    values.parities = Tried<TParityBit>(c.parityAllowed, c.paritySelected, pbNone, pbSpace, 1);
    values.dataBits = Tried<TDataBits>(c.dataAllowed, c.dataSelected, dbFour, dbEight, 1);
    values.stopBits = Tried<TStopBits>(c.stopAllowed, c.stopSelected, sbOne, sbTwo, 1);
    return values;
}

TLineSettings Combination(const TSearchValues& v, size_t k) {
    const size_t stop = v.stopBits.size();
    const size_t perParity = v.dataBits.size() * stop;
    const size_t perBaud = v.parities.size() * perParity;
    TLineSettings line;
    line.baud = v.bauds[k / perBaud];
    size_t r = k % perBaud;
    line.parity = v.parities[r / perParity];
    r %= perParity;
    line.dataBits = v.dataBits[r / stop];
    line.stopBits = v.stopBits[r % stop];
    return line;
}

} // namespace k730
