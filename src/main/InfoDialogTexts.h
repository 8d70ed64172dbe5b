// Texts of the settings dialog and the meter dialog, built from plain facts
// about the meter and the program so that they can be checked without a
// window. The dialogs lay these out; the main window gathers the facts.
#pragma once

#include "main/K730Lang.h"
#include "main/K730Settings.h"
#include "main/MeterInfo.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace k730 {

// ---- Settings dialog ------------------------------------------------------

struct TShowSettingsFacts {
    bool StatusKnown = false;
    uint8_t StatusFlags = 0;
    bool MerBusAddrKnown = false;
    uint16_t MerBusAddress = 0xFFFF;
    bool ModBusAddrKnown = false;
    uint8_t ModBusAddress = 255;
    std::string DefaultRangeText; // range text with space and unit; empty when not known
    uint8_t ConvCount = 0;        // 0 = unknown
    int32_t AverCount = 5;
    int32_t PollPeriodMs = 960;
    int32_t StatusPeriodMs = 960;
    bool RepeatAuto = true;
    int32_t RepeatTime = 1000; // ms
    bool AutoRange = false;
};

constexpr int SHOW_SETTINGS_ROWS = 8;

struct TSettingsRow {
    std::string Label;
    std::string Value;
    bool Red = false; // a value the meter should not have
};

TSettingsRow ShowSettingsRow(int row, const TShowSettingsFacts& facts, TLanguage lang,
                             char decimalSeparator = '.');

// The rows a RefreshRow code updates: 0 all, 1..8 one group each; none for others.
std::vector<int> RowsForRefreshCode(int code);

std::string ShowSettingsCaption(TLanguage lang);

// The facts from the main window's meter record, its addresses and the
// program settings; the poll periods follow from the number of conversions.
TShowSettingsFacts MakeShowSettingsFacts(const TMeterInfo& info, uint16_t merBusAddress,
                                         uint8_t modBusAddress, const TProgramSettings& settings,
                                         bool historyWindowOpen, char decimalSeparator = '.');

// The longest text each row's value can take, for sizing the value column.
std::string ShowSettingsValueSample(int row, TLanguage lang);

// ---- Meter dialog ---------------------------------------------------------

struct TAboutMeterFacts {
    std::string TypeText;     // meter type text, or the unknown-type text
    std::string Descriptor;   // ModelDescriptor
    std::string ProducerText; // lines joined with CR LF
    std::string SerialText;
    std::string YearText;
    bool LumMode = false;
    std::string Aperture;                // DescriptorAperture
    std::vector<std::string> RangeTexts; // FormatRangeText without space, RangeCount of them
    std::string Unit;                    // unit of a kind 1..4; empty otherwise
    uint8_t DefaultRange = 0;
    int Configuration = 0;
    std::string Version; // DescriptorVersion; empty for the basic version
    std::string FirmwareVersion;
    uint16_t MerBusAddress = 0xFFFF;
    uint8_t ModBusAddress = 255;
    uint8_t ConvCount = 0;
    uint8_t StatusFlags = 0;
    uint32_t ForcingValue4mA = 0;
    float LoopFactor = 0;
    float ResultFactor = 0;
    double CalTempCelsius = 0;
};

enum TAboutRowKind { arText, arType, arProducer, arHeader };

struct TAboutRow {
    TAboutRowKind Kind = arText;
    std::string Label;
    std::string Value;
};

// The rows top to bottom; the aperture row only for a luminance-type meter.
std::vector<TAboutRow> AboutMeterRows(const TAboutMeterFacts& facts, TLanguage lang,
                                      char decimalSeparator = '.');

// Pads every label of the column (all but the type text) with spaces until it
// is at least as wide as the widest of them.
void PadLabels(std::vector<TAboutRow>& rows, const std::function<int(const std::string&)>& width);

std::string AboutMeterCaption(TLanguage lang);

// The facts from the main window's meter record and its addresses.
TAboutMeterFacts MakeAboutMeterFacts(const TMeterInfo& info, uint16_t merBusAddress, uint8_t modBusAddress,
                                     TLanguage lang, char decimalSeparator = '.');

} // namespace k730
