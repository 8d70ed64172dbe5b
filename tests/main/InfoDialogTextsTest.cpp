// The dialogs' rows as they come out of a meter record: labels chosen by the
// meter's facts, range and unit texts, and the settings rows' periods.
#include "main/InfoDialogTexts.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TMeterInfo Meter(uint8_t kind, uint8_t lum, std::initializer_list<float> ranges) {
    TMeterInfo info;
    info.MeterKind = kind;
    info.LumMode = lum;
    for (float r : ranges)
        info.RangeFullScale[info.RangeCount++] = r;
    info.ModelDescriptor = "K-730/V/2M/L1/3/A1";
    info.ProducerText = "MERIDOX\r\nPoznań";
    info.SerialNumber = 0xFFFF;
    info.ProductionYear = 2026;
    info.CalTempCode = 680; // (680 × 1.07421875 − 500) / 10 = 23.046875 °C
    return info;
}

std::string ValueOf(const std::vector<TAboutRow>& rows, const std::string& labelStart) {
    for (const auto& row : rows)
        if (row.Label.rfind(labelStart, 0) == 0) return row.Value;
    return "<absent>";
}

std::vector<TAboutRow> Rows(const TMeterInfo& info, TLanguage lang = langEnglish) {
    return AboutMeterRows(MakeAboutMeterFacts(info, 0x0012, 0x05, lang), lang);
}

TEST(AboutMeterRows, RangeLabelAndUnitFollowTheRangeCount) {
    auto rows = Rows(Meter(1, 0, {2000, 20000, 200000}));
    EXPECT_EQ(ValueOf(rows, "Measuring ranges:"), "2k  20k  200k  [lx]");
    EXPECT_EQ(ValueOf(rows, "Default range:"), "2klx");
    EXPECT_EQ(rows[0].Label, "Luxmeter");
    EXPECT_EQ(rows[0].Value, "K-730/V/2M/L1/3/A1");

    rows = Rows(Meter(1, 1, {500}), langPolish);
    EXPECT_EQ(ValueOf(rows, "Zakres pomiarowy:"), "500cd·m^-2");
    EXPECT_EQ(ValueOf(rows, "Zakresy"), "<absent>");

    // An amperemeter in luminance mode is no valid kind, yet names its unit here.
    rows = Rows(Meter(4, 1, {0.02f}));
    EXPECT_EQ(ValueOf(rows, "Measuring range:"), "20mA");
    rows = Rows(Meter(5, 0, {2, 20}));
    EXPECT_EQ(rows[0].Label, "Unknown meter type");
    EXPECT_EQ(ValueOf(rows, "Measuring ranges:"), "2  20");

    TMeterInfo outside = Meter(1, 0, {2000});
    outside.DefaultRange = 1; // beyond the one range: nothing to show
    EXPECT_EQ(ValueOf(Rows(outside), "Default range:"), "");
}

TEST(AboutMeterRows, ProducerApertureAndVersionRows) {
    TMeterInfo info = Meter(1, 0, {2000});
    auto rows = Rows(info);
    EXPECT_EQ(ValueOf(rows, "Manufacturer:"), "MERIDOX\r\nPoznań");
    EXPECT_EQ(ValueOf(rows, "Field aperture:"), "<absent>");
    EXPECT_EQ(ValueOf(rows, "Serial number:"), "---");
    EXPECT_EQ(ValueOf(rows, "Meter version:"), "A1");
    EXPECT_EQ(ValueOf(rows, "Configuration:"), "3");
    EXPECT_EQ(ValueOf(rows, "Calibration temperature:"), "23.0°C");
    EXPECT_EQ(ValueOf(rows, "MODBUS address:"), "0x05");

    info.LumMode = 1;
    info.ProducerText = "Hurtownia A&B";
    info.ModelDescriptor = "K-730";
    rows = Rows(info, langPolish);
    EXPECT_EQ(ValueOf(rows, "Dystrybutor:"), "Hurtownia A&B");
    EXPECT_EQ(ValueOf(rows, "Kątowe pole pomiarowe:"), "");
    EXPECT_EQ(ValueOf(rows, "Wersja przyrządu:"), "podstawowa");
    EXPECT_EQ(ValueOf(rows, "Konfiguracja:"), "0");
}

TEST(AboutMeterRows, LabelsArePaddedToTheWidestButTheTypeText) {
    auto rows = Rows(Meter(3, 1, {500}));
    PadLabels(rows, [](const std::string& s) { return int(s.size()); });
    const size_t width = rows[1].Label.size();
    EXPECT_EQ(width, std::string("Number of subsequent conversions:").size());
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].Label.size(), width) << rows[i].Label;
    EXPECT_EQ(rows[0].Label, "Foton radiance meter");
}

TEST(ShowSettingsRows, PeriodsFollowConversionsAndRefresh) {
    TMeterInfo info = Meter(1, 0, {2000, 20000});
    info.DefaultRange = 1;
    info.ConvCount = 0;
    TProgramSettings settings = DefaultSettings("");
    auto facts = MakeShowSettingsFacts(info, 0xFFFF, 255, settings, false);
    EXPECT_EQ(ShowSettingsRow(3, facts, langEnglish).Value, "20 klx");
    EXPECT_EQ(ShowSettingsRow(4, facts, langEnglish).Value, "-----");
    EXPECT_EQ(ShowSettingsRow(5, facts, langEnglish).Value, "5");
    EXPECT_EQ(ShowSettingsRow(6, facts, langEnglish).Value, "Automatically");
    EXPECT_EQ(ShowSettingsRow(1, facts, langEnglish).Value, "-----");

    info.StatusKnown = true;
    info.ConvCount = 4;
    info.MerBusAddrKnown = true;
    settings.RepeatAuto = false;
    settings.RepeatTime = 2000;
    facts = MakeShowSettingsFacts(info, 0xFFFF, 255, settings, false);
    EXPECT_EQ(ShowSettingsRow(4, facts, langEnglish).Value, "4 (0.64 sec)");
    EXPECT_EQ(ShowSettingsRow(5, facts, langEnglish).Value, "5 (10.0 sec)"); // 5 × 2000 ms
    EXPECT_EQ(ShowSettingsRow(6, facts, langPolish).Value, "2000ms");
    EXPECT_TRUE(ShowSettingsRow(1, facts, langEnglish).Red);

    // With the history window open the meter is polled every 160 ms.
    facts = MakeShowSettingsFacts(info, 0x0001, 0, settings, true);
    EXPECT_EQ(ShowSettingsRow(5, facts, langEnglish).Value, "5 (0.80 sec)");
    EXPECT_FALSE(ShowSettingsRow(1, facts, langEnglish).Red);
    info.ModBusAddrKnown = true;
    facts = MakeShowSettingsFacts(info, 0x0001, 0, settings, true);
    EXPECT_TRUE(ShowSettingsRow(2, facts, langEnglish).Red);
    EXPECT_EQ(ShowSettingsRow(2, facts, langEnglish).Value, "0x00");
}

TEST(ShowSettingsRows, RefreshCodesCoverTheirRows) {
    EXPECT_EQ(RowsForRefreshCode(0).size(), 8u);
    EXPECT_EQ(RowsForRefreshCode(5), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(RowsForRefreshCode(7), (std::vector<int>{5, 6}));
    EXPECT_EQ(RowsForRefreshCode(8), std::vector<int>{7});
    EXPECT_TRUE(RowsForRefreshCode(9).empty());
    EXPECT_TRUE(RowsForRefreshCode(-1).empty());
}

} // namespace
} // namespace k730
