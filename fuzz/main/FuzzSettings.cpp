// libFuzzer: the stored program settings as another installation or a damaged
// settings file may leave them, values of any type and size included (the
// "TmplWinCols" block too). Loaded settings are usable and save and load back
// to the same values.
#include "main/K730Settings.h"
#include "main/MemorySettingsStore.h"
#include "main/SettingsOps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kNames[] = {
    "PortName",     "DirHistCALExport", "DirHistMeasExport", "DirHistMeas",  "ShowMinMaxAverage",
    "AverCountMax", "RepeatAuto",       "RepeatTime",        "AutoRange",    "HistAverTime",
    "AutoZero",     "LastTemplateName", "LastTemplateKind",  "TmplWinWidth", "TmplWinHeight",
    "TmplWinCols",  "ShowIconStatus",   "StayOnTop",         "Language"};

// Each value: name index, type (integer, string, binary), length, bytes.
void Fill(k730::TMemorySettingsStore& store, const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at + 3 <= size) {
        const std::string name = kNames[data[at] % std::size(kNames)];
        const int type = data[at + 1] % 3;
        const size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        const uint8_t* value = data + at + 3;
        at += 3 + length;
        if (type == 0) {
            uint32_t n = 0;
            std::memcpy(&n, value, std::min<size_t>(length, 4));
            store.SetInteger(name, static_cast<int32_t>(n));
        } else if (type == 1) {
            store.SetString(name, std::string(reinterpret_cast<const char*>(value), length));
        } else {
            store.SetBinary(name, std::vector<uint8_t>(value, value + length));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::TMemorySettingsStore stored;
    Fill(stored, data, size);
    k730::TProgramSettings loaded = k730::DefaultSettings("/home/user/");
    k730::LoadSettings(stored, loaded);
    if (loaded.AverCount < 1 || loaded.RepeatTime < k730::MIN_REFRESH_MS) std::abort();
    const auto cols = stored.GetBinary("TmplWinCols");
    if ((!cols || cols->size() != 36) &&
        std::any_of(loaded.TmplWinCols.begin(), loaded.TmplWinCols.end(), [](int32_t c) { return c != 0; }))
        std::abort();
    (void)k730::ChooseLanguage(size > 0 ? data[0] * 0x0101u : 0, stored);

    k730::TMemorySettingsStore first, second;
    if (!k730::SaveSettings(first, loaded)) std::abort();
    k730::TProgramSettings again = k730::DefaultSettings("/elsewhere/");
    if (!k730::LoadSettings(first, again)) std::abort();
    if (!k730::SaveSettings(second, again) || first.Values() != second.Values()) std::abort();
    return 0;
}
