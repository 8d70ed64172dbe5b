// Kind, type and unit tables. Every text pair is stored Polish first.
#include "main/MeterKind.h"

#include "main/K730Lang.h"

#include <array>

namespace k730 {
namespace {

struct TKindRow {
    TText kindText;
    TText typeText[2]; // by LumMode
    std::string_view unit[2];
    char symbol[2];
};

// Indexed by kind - 1.
constexpr std::array<TKindRow, 4> KIND_TABLE = {{
    {{"Fotometr", "Photometer"},
     {{"Luksomierz", "Luxmeter"}, {"Miernik luminancji", "Luminance meter"}},
     {"lx", "cd·m^-2"},
     {'E', 'L'}},
    {{"Radiometr", "Radiometer"},
     {{"Miernik natężenia napromienienia", "Irradiance meter"},
      {"Miernik luminancji energetycznej", "Radiance meter"}},
     {"W·m^-2", "W·m^-2·sr^-1"},
     {'E', 'L'}},
    {{"Radiometr PAR", "PAR meter"},
     {{"Miernik natężenia napromienienia fotonowego", "Foton irradiance meter"},
      {"Miernik luminancji fotonowej", "Foton radiance meter"}},
     {"mol·m^-2·s^-1", "mol·m^-2·s^-1·sr^-1"},
     {'E', 'L'}},
    {{"Amperomierz", "Amperemeter"},
     {{"Amperomierz", "Amperemeter"}, {"Amperemeter", "Amperemeter"}},
     {"A", "A"},
     {'I', 'I'}},
}};

constexpr TText UNKNOWN_TYPE = {"Nieznany typ miernika", "Unknown meter type"};

const TKindRow* KindRow(uint8_t kind) {
    return (kind >= 1 && kind <= KIND_TABLE.size()) ? &KIND_TABLE[kind - 1] : nullptr;
}

constexpr std::array<std::string_view, SENSITIVITY_COUNT> SENSITIVITIES = {"V", "V'",  "V\"", "B",   "R",
                                                                           "S", "UVA", "IR",  "PAR", "I"};
constexpr TText SENSITIVITY_ERROR = {"Błąd", "Error"};

constexpr TText YES = {"TAK", "YES"};
constexpr TText NO = {"NIE", "NO"};

} // namespace

bool IsValidMeterType(uint8_t kindByte) {
    const uint8_t kind = KindOf(kindByte);
    return kind >= mkPhotometer && kind <= mkAmperemeter && !(kind == mkAmperemeter && LumModeOf(kindByte));
}

std::string_view MeterKindText(uint8_t kind, int lang) {
    const TKindRow* row = KindRow(kind);
    return row ? row->kindText(lang) : UNKNOWN_TYPE(lang);
}

std::string_view MeterTypeText(uint8_t kind, uint8_t lumMode, int lang) {
    const TKindRow* row = KindRow(kind);
    return row ? row->typeText[lumMode ? 1 : 0](lang) : UNKNOWN_TYPE(lang);
}

std::string_view MeterUnitText(uint8_t kind, uint8_t lumMode) {
    const TKindRow* row = KindRow(kind);
    return row ? row->unit[lumMode ? 1 : 0] : std::string_view();
}

char QuantitySymbol(uint8_t kind, uint8_t lumMode) {
    const TKindRow* row = KindRow(kind);
    return row ? row->symbol[lumMode ? 1 : 0] : '?';
}

std::string_view SensitivitySymbol(int index, int lang) {
    return (index >= 0 && index < SENSITIVITY_COUNT) ? SENSITIVITIES[index] : SENSITIVITY_ERROR(lang);
}

int SensitivityIndex(std::string_view symbol) {
    for (int i = 0; i < SENSITIVITY_COUNT; ++i)
        if (SENSITIVITIES[i] == symbol) return i;
    return -1;
}

std::string_view YesNoText(int flagNo, int lang) {
    return flagNo ? NO(lang) : YES(lang);
}
std::string_view NoYesText(int flagYes, int lang) {
    return flagYes ? YES(lang) : NO(lang);
}

std::string_view LoopStateText(bool on, int lang) {
    constexpr TText OFF = {"wyłączona", "turned off"};
    constexpr TText ON = {"włączona", "turned on"};
    return on ? ON(lang) : OFF(lang);
}

} // namespace k730
