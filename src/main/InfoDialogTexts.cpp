// Rows of the settings dialog and the meter dialog.
#include "main/InfoDialogTexts.h"

#include "main/K730Captions.h"
#include "main/K730Fun.h"
#include "main/SettingsOps.h"

#include <algorithm>
#include <cstdio>

namespace k730 {

namespace {

constexpr TText SECONDS{"s", "sec"};
constexpr TText AUTOMATICALLY{"Automatycznie", "Automatically"};

constexpr TText SETTINGS_LABELS[SHOW_SETTINGS_ROWS] = {
    {"Pętla prądowa:", "Current loop:"},
    {"Adres MerBUS:", "MerBUS address:"},
    {"Adres MODBUS:", "MODBUS address:"},
    {"Zakres domyślny:", "Default range:"},
    {"Ilość konwersji:", "Number of subsequent conversions:"},
    {"Średnia krocząca", "Moving average"},
    {"Odświeżanie wyniku", "Refresh rate"},
    {"Automatyczna zmiana zakresu", "Auto range"},
};

std::string Fixed(double value, int decimals, char separator) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string Seconds(double ms, TLanguage lang, char separator) {
    return " (" + SecondsText(ms / 1000.0, separator) + " " + std::string(SECONDS(lang)) + ")";
}

std::string RefreshValue(const TShowSettingsFacts& f, TLanguage lang) {
    if (!f.RepeatAuto) return std::to_string(f.RepeatTime) + "ms";
    std::string text(AUTOMATICALLY(lang));
    if (f.ConvCount != 0) text += " (" + std::to_string(f.PollPeriodMs) + "ms)";
    return text;
}

TSettingsRow SettingsValue(int row, const TShowSettingsFacts& f, TLanguage lang, char separator) {
    TSettingsRow r;
    r.Value = std::string(UNKNOWN_VALUE_TEXT);
    switch (row) {
    case 0:
        if (f.StatusKnown) r.Value = LoopStateText(HasStatusFlag(f.StatusFlags, sfLoopOn), lang);
        break;
    case 1:
        if (f.MerBusAddrKnown) r.Value = "0x" + HexDigits(f.MerBusAddress, 4);
        r.Red = f.MerBusAddrKnown && f.MerBusAddress == 0xFFFF;
        break;
    case 2:
        if (f.ModBusAddrKnown) r.Value = "0x" + HexDigits(f.ModBusAddress, 2);
        r.Red = f.ModBusAddrKnown && (f.ModBusAddress == 0 || f.ModBusAddress >= 248);
        break;
    case 3:
        if (!f.DefaultRangeText.empty()) r.Value = f.DefaultRangeText;
        break;
    case 4:
        if (f.StatusKnown)
            r.Value = std::to_string(f.ConvCount) + Seconds(f.ConvCount * 160.0, lang, separator);
        break;
    case 5:
        r.Value = std::to_string(f.AverCount);
        if (f.ConvCount != 0) r.Value += Seconds(double(f.AverCount) * f.StatusPeriodMs, lang, separator);
        break;
    case 6:
        r.Value = RefreshValue(f, lang);
        break;
    case 7:
        r.Value = LoopStateText(f.AutoRange, lang);
        break;
    default:
        break;
    }
    return r;
}

std::string Hex(uint32_t value, int digits) {
    return "0x" + HexDigits(value, digits);
}

std::string RangesValue(const TAboutMeterFacts& f) {
    std::string text;
    for (size_t i = 0; i < f.RangeTexts.size(); ++i)
        text += (i ? "  " : "") + f.RangeTexts[i];
    if (f.Unit.empty() || f.RangeTexts.empty()) return text;
    return f.RangeTexts.size() == 1 ? text + f.Unit : text + "  [" + f.Unit + "]";
}

void Add(std::vector<TAboutRow>& rows, TText label, TLanguage lang, std::string value,
         TAboutRowKind kind = arText) {
    rows.push_back({kind, std::string(label(lang)), std::move(value)});
}

} // namespace

TSettingsRow ShowSettingsRow(int row, const TShowSettingsFacts& facts, TLanguage lang,
                             char decimalSeparator) {
    TSettingsRow r = SettingsValue(row, facts, lang, decimalSeparator);
    if (row < 0 || row >= SHOW_SETTINGS_ROWS) return r;
    r.Label = SETTINGS_LABELS[row](lang);
    if (row >= 5) r.Label += ":";
    return r;
}

std::vector<int> RowsForRefreshCode(int code) {
    switch (code) {
    case 0:
        return {0, 1, 2, 3, 4, 5, 6, 7};
    case 1:
        return {0};
    case 2:
        return {1};
    case 3:
        return {2};
    case 4:
        return {3};
    case 5:
        return {4, 5, 6};
    case 6:
        return {5};
    case 7:
        return {5, 6};
    case 8:
        return {7};
    default:
        return {};
    }
}

std::string ShowSettingsCaption(TLanguage lang) {
    return "K730  " + std::string(TText{"Ustawienia", "Settings"}(lang));
}

std::string ShowSettingsValueSample(int row, TLanguage lang) {
    switch (row) {
    case 1:
    case 2:
        return "0x0000";
    case 4:
    case 5:
        return "0000";
    case 6:
        return std::string(AUTOMATICALLY(lang)) + " (000000ms)";
    default:
        return {};
    }
}

std::vector<TAboutRow> AboutMeterRows(const TAboutMeterFacts& f, TLanguage lang, char sep) {
    std::vector<TAboutRow> rows;
    rows.push_back({arType, f.TypeText, f.Descriptor});
    const bool maker = f.ProducerText.find("MERIDOX") != std::string::npos;
    Add(rows, maker ? TText{"Producent:", "Manufacturer:"} : TText{"Dystrybutor:", "Distributor:"}, lang,
        f.ProducerText, arProducer);
    Add(rows, {"Numer seryjny:", "Serial number:"}, lang, f.SerialText);
    Add(rows, {"Rok produkcji:", "Production year:"}, lang, f.YearText);
    if (f.LumMode) Add(rows, {"Kątowe pole pomiarowe:", "Field aperture:"}, lang, f.Aperture);
    Add(rows,
        f.RangeTexts.size() == 1 ? TText{"Zakres pomiarowy:", "Measuring range:"}
                                 : TText{"Zakresy pomiarowe:", "Measuring ranges:"},
        lang, RangesValue(f));
    std::string defaultRange;
    if (f.DefaultRange < f.RangeTexts.size()) defaultRange = f.RangeTexts[f.DefaultRange] + f.Unit;
    Add(rows, {"Zakres domyślny:", "Default range:"}, lang, defaultRange);
    Add(rows, {"Konfiguracja:", "Configuration:"}, lang, std::to_string(f.Configuration));
    Add(rows, {"Wersja przyrządu:", "Meter version:"}, lang,
        f.Version.empty() ? std::string(TText{"podstawowa", "basic"}(lang)) : f.Version);
    Add(rows, {"Wersja oprogramowania:", "Firmware version:"}, lang, f.FirmwareVersion);
    Add(rows, {"Adres MerBUS:", "MerBUS address:"}, lang, Hex(f.MerBusAddress, 4));
    Add(rows, {"Adres MODBUS:", "MODBUS address:"}, lang, Hex(f.ModBusAddress, 2));
    Add(rows, {"Ilość konwersji:", "Number of subsequent conversions:"}, lang, std::to_string(f.ConvCount));
    Add(rows, {"Pętla prądowa:", "Current loop:"}, lang,
        std::string(LoopStateText(HasStatusFlag(f.StatusFlags, sfLoopOn), lang)));
    Add(rows, {"Współczynniki kalibracji:", "Calibration factors:"}, lang, "", arHeader);
    Add(rows, {"- wartość wymuszenia 4mA:", "- value forcing 4mA current:"}, lang, Hex(f.ForcingValue4mA, 4));
    Add(rows, {"- pętli prądowej:", "- current loop:"}, lang, Fixed(f.LoopFactor, 7, sep));
    Add(rows, {"- wyniku:", "- result:"}, lang, Fixed(f.ResultFactor, 7, sep));
    Add(rows, {"Temperatura kalibracji:", "Calibration temperature:"}, lang,
        Fixed(f.CalTempCelsius, 1, sep) + "°C");
    return rows;
}

void PadLabels(std::vector<TAboutRow>& rows, const std::function<int(const std::string&)>& width) {
    // The type text heads the dialog on its own line and is not one of the column.
    int widest = 0;
    for (const auto& row : rows)
        if (row.Kind != arType) widest = std::max(widest, width(row.Label));
    for (auto& row : rows) {
        if (row.Kind == arType) continue;
        // A label that never grows (an empty width function) must not loop for ever.
        for (int guard = 0; width(row.Label) < widest && guard < 1000; ++guard)
            row.Label += ' ';
    }
}

std::string AboutMeterCaption(TLanguage lang) {
    return "K730 " + std::string(MainWindowCaption("MenuAboutMeter", lang));
}

TShowSettingsFacts MakeShowSettingsFacts(const TMeterInfo& info, uint16_t merBusAddress,
                                         uint8_t modBusAddress, const TProgramSettings& settings,
                                         bool historyWindowOpen, char decimalSeparator) {
    TShowSettingsFacts f;
    f.StatusKnown = info.StatusKnown;
    f.StatusFlags = info.StatusFlags;
    f.MerBusAddrKnown = info.MerBusAddrKnown;
    f.MerBusAddress = merBusAddress;
    f.ModBusAddrKnown = info.ModBusAddrKnown;
    f.ModBusAddress = modBusAddress;
    if (info.RangeCount > 0 && info.DefaultRange < MAX_RANGES)
        f.DefaultRangeText =
            RangeTextWithUnit(info.RangeFullScale[info.DefaultRange], KindByteOf(info), decimalSeparator);
    f.ConvCount = info.ConvCount;
    f.AverCount = settings.AverCount;
    f.PollPeriodMs = PollPeriodMs(info.ConvCount, historyWindowOpen);
    f.StatusPeriodMs =
        StatusPeriodMs(f.PollPeriodMs, settings.RepeatAuto, historyWindowOpen, settings.RepeatTime);
    f.RepeatAuto = settings.RepeatAuto;
    f.RepeatTime = settings.RepeatTime;
    f.AutoRange = settings.AutoRange;
    return f;
}

TAboutMeterFacts MakeAboutMeterFacts(const TMeterInfo& info, uint16_t merBusAddress, uint8_t modBusAddress,
                                     TLanguage lang, char decimalSeparator) {
    TAboutMeterFacts f;
    f.TypeText = MeterTypeText(info.MeterKind, info.LumMode, lang);
    f.Descriptor = info.ModelDescriptor;
    f.ProducerText = info.ProducerText;
    f.SerialText = SerialNumberText(info.SerialNumber);
    f.YearText = ProductionYearText(info.ProductionYear);
    f.LumMode = info.LumMode == 1;
    f.Aperture = DescriptorAperture(info.ModelDescriptor);
    for (int i = 0; i < info.RangeCount && i < MAX_RANGES; ++i)
        f.RangeTexts.push_back(FormatRangeText(info.RangeFullScale[i], false, decimalSeparator));
    // Kinds 1..4 name their unit here whatever the luminance bit says.
    f.Unit = MeterUnitText(info.MeterKind, info.LumMode);
    f.DefaultRange = info.DefaultRange;
    f.Configuration = DescriptorConfiguration(info.ModelDescriptor);
    f.Version = DescriptorVersion(info.ModelDescriptor);
    f.FirmwareVersion = info.FirmwareVersion;
    f.MerBusAddress = merBusAddress;
    f.ModBusAddress = modBusAddress;
    f.ConvCount = info.ConvCount;
    f.StatusFlags = info.StatusFlags;
    f.ForcingValue4mA = info.ForcingValue4mA;
    f.LoopFactor = info.LoopFactor;
    f.ResultFactor = info.ResultFactor;
    f.CalTempCelsius = TempCodeToCelsius(info.CalTempCode);
    return f;
}

} // namespace k730
