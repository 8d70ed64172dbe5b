#include "service/ServiceInfo.h"

#include "main/K730Fun.h"
#include "main/K730Lang.h"

#include <algorithm>

namespace k730 {

namespace {

constexpr std::array<TText, INFO_LABEL_COUNT> PREFIXES = {{
    {"Numer seryjny:", "Serial number:"},
    {"Rok produkcji:", "Production year:"},
    {"Rodzaj miernika:", "Meter kind:"},
    {"Tryb pomiaru luminancji:", "Luminance mode:"},
    {"Zakresy pomiarowe:", "Measuring ranges:"},
    {"Zakres domyślny:", "Default range:"},
    {"Konfiguracja:", "Configuration:"},
    {"Wersja oprogramowania:", "Firmware version:"},
}};

constexpr TText KIND_ERROR = {"Błąd", "Error"};

int CharacterCount(const std::string& text) {
    int n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string UnitOf(const TMeterInfo& info) {
    return IsValidMeterType(KindByteOf(info)) ? std::string(MeterUnitText(info.MeterKind, info.LumMode))
                                              : std::string();
}

} // namespace

TInfoTexts InfoPrefixes(int lang, const TTextMeasure& width) {
    const TTextMeasure measure = width ? width : TTextMeasure(CharacterCount);
    TInfoTexts out;
    int widest = 0;
    for (size_t i = 0; i < INFO_LABEL_COUNT; ++i) {
        out[i] = std::string(PREFIXES[i](lang)) + " ";
        widest = std::max(widest, measure(out[i]));
    }
    for (auto& prefix : out) {
        // A text of blanks only never gets wider: give up after a generous count.
        for (int guard = 0; measure(prefix) < widest && guard < 200; ++guard)
            prefix += ' ';
    }
    return out;
}

TInfoTexts InfoIdentityTexts(const TInfoTexts& prefixes, const TMeterInfo& info, int lang,
                             char decimalSeparator) {
    TInfoTexts out = prefixes;
    const uint8_t kindByte = KindByteOf(info);
    out[ilSerial] += SerialNumberText(info.SerialNumber);
    out[ilYear] += ProductionYearText(info.ProductionYear);
    // An invalid kind byte shows the error text alone, without its prefix.
    out[ilKind] = IsValidMeterType(kindByte) ? out[ilKind] + std::string(MeterKindText(info.MeterKind, lang))
                                             : std::string(KIND_ERROR(lang));
    out[ilLum] += NoYesText(info.LumMode ? 1 : 0, lang);
    std::string ranges;
    for (int i = 0; i < info.RangeCount && i < MAX_RANGES; ++i) {
        if (i > 0) ranges += "  ";
        ranges += FormatRangeText(info.RangeFullScale[i], false, decimalSeparator);
    }
    const std::string unit = UnitOf(info);
    if (!unit.empty()) ranges += info.RangeCount >= 2 ? "  [" + unit + "]" : unit;
    out[ilRange] += ranges;
    out[ilVersion] += info.FirmwareVersion;
    return out;
}

std::string BitsText(uint8_t value) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit)
        bits += (value >> bit) & 1 ? '1' : '0';
    return bits;
}

std::string InfoConfigText(const TInfoTexts& prefixes, uint8_t config) {
    return prefixes[ilConfig] + BitsText(config);
}

std::string InfoDefaultRangeText(const TInfoTexts& prefixes, const TMeterInfo& info, uint8_t index,
                                 char decimalSeparator) {
    if (index >= info.RangeCount || index >= MAX_RANGES) return prefixes[ilDefRange];
    return prefixes[ilDefRange] + FormatRangeText(info.RangeFullScale[index], false, decimalSeparator);
}

TServicePlacement PlaceServiceWindow(const TScreenRect& main, int width, int height,
                                     const TScreenRect& work) {
    TServicePlacement p{main.Right(), main.y, main.x};
    if (p.x + width > work.Right()) {
        p.x = work.Right() - width;
        p.mainX = std::max(work.x, p.x - main.width);
    }
    // Finally the service window is kept inside the work area.
    p.x = std::max(work.x, std::min(p.x, work.Right() - width));
    p.y = std::max(work.y, std::min(p.y, work.Bottom() - height));
    return p;
}

} // namespace k730
