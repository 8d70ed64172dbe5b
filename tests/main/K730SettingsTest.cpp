// Stored program settings: round trip, defaults, unusable and unreadable
// values, the stored port name, the language choice and the spreadsheet lookup.
#include "main/K730Settings.h"
#include "FaultySettingsStore.h"
#include "main/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <set>

namespace k730 {
namespace {

using test::TFaultySettingsStore;

TProgramSettings Changed() {
    TProgramSettings s = DefaultSettings("/home/u/Documents");
    s.PortName = "/dev/ttyUSB0";
    s.DirHistCALExport = "/a";
    s.DirHistMeasExport = "/b/ż";
    s.DirHistMeas = "/c";
    s.ShowMinMaxAverage = true;
    s.AverCount = 17;
    s.RepeatAuto = false;
    s.RepeatTime = 2500;
    s.AutoRange = true;
    s.HistAverTime = 9;
    s.AutoZero = true;
    s.LastTemplateName = "Luksomierz 2M";
    s.LastTemplateKind = 0x81;
    s.TmplWinWidth = 640;
    s.TmplWinHeight = 480;
    s.TmplWinCols = {1, 2, 3, 4, 5, 6, 7, -8, 0x7FFFFFFF};
    s.ShowIconStatus = true;
    s.StayOnTop = true;
    return s;
}

void ExpectSame(const TProgramSettings& a, const TProgramSettings& b) {
    EXPECT_EQ(a.PortName, b.PortName);
    EXPECT_EQ(a.DirHistCALExport, b.DirHistCALExport);
    EXPECT_EQ(a.DirHistMeasExport, b.DirHistMeasExport);
    EXPECT_EQ(a.DirHistMeas, b.DirHistMeas);
    EXPECT_EQ(a.ShowMinMaxAverage, b.ShowMinMaxAverage);
    EXPECT_EQ(a.AverCount, b.AverCount);
    EXPECT_EQ(a.RepeatAuto, b.RepeatAuto);
    EXPECT_EQ(a.RepeatTime, b.RepeatTime);
    EXPECT_EQ(a.AutoRange, b.AutoRange);
    EXPECT_EQ(a.HistAverTime, b.HistAverTime);
    EXPECT_EQ(a.AutoZero, b.AutoZero);
    EXPECT_EQ(a.LastTemplateName, b.LastTemplateName);
    EXPECT_EQ(a.LastTemplateKind, b.LastTemplateKind);
    EXPECT_EQ(a.TmplWinWidth, b.TmplWinWidth);
    EXPECT_EQ(a.TmplWinHeight, b.TmplWinHeight);
    EXPECT_EQ(a.TmplWinCols, b.TmplWinCols);
    EXPECT_EQ(a.ShowIconStatus, b.ShowIconStatus);
    EXPECT_EQ(a.StayOnTop, b.StayOnTop);
}

TEST(ProgramSettings, EveryValueRoundTripsAndLanguageIsNeverWritten) {
    TMemorySettingsStore store;
    ASSERT_TRUE(SaveSettings(store, Changed()));
    EXPECT_FALSE(store.HasValue("Language"));
    EXPECT_EQ(store.Values().size(), 18u);
    EXPECT_EQ(std::get<std::vector<uint8_t>>(store.Values()["TmplWinCols"]).size(), 36u);
    EXPECT_EQ(std::get<int32_t>(store.Values()["ShowMinMaxAverage"]), 1); // booleans as integers

    TProgramSettings loaded = DefaultSettings("/elsewhere");
    EXPECT_TRUE(LoadSettings(store, loaded));
    ExpectSame(loaded, Changed());
}

TEST(ProgramSettings, AbsentKeyOrValuesKeepTheDefaults) {
    TFaultySettingsStore store;
    store.Exists = false;
    store.Values["AverCountMax"] = 9; // not looked at without the key
    TProgramSettings s = DefaultSettings("/docs");
    EXPECT_FALSE(LoadSettings(store, s));
    ExpectSame(s, DefaultSettings("/docs"));

    store.Exists = true;
    store.Values.clear();
    EXPECT_TRUE(LoadSettings(store, s));
    ExpectSame(s, DefaultSettings("/docs"));
    EXPECT_EQ(s.AverCount, 5);
    EXPECT_TRUE(s.RepeatAuto);
    EXPECT_EQ(s.RepeatTime, 1000);
    EXPECT_EQ(s.HistAverTime, 1);
    EXPECT_EQ(s.DirHistMeas, "/docs");
}

TEST(ProgramSettings, UnusableStoredValuesFallBack) {
    TFaultySettingsStore store;
    store.Values["AverCountMax"] = 0;
    store.Values["RepeatTime"] = -5;
    store.Values["LastTemplateKind"] = 0x183; // only the byte counts
    store.Values["TmplWinCols"] = std::vector<uint8_t>(32, 1);
    TProgramSettings s = DefaultSettings("");
    EXPECT_TRUE(LoadSettings(store, s));
    EXPECT_EQ(s.AverCount, 5);
    EXPECT_EQ(s.RepeatTime, 1000);
    EXPECT_EQ(s.LastTemplateKind, 0x83);
    EXPECT_EQ(s.TmplWinCols, (std::array<int32_t, 9>{}));

    store.Values["AverCountMax"] = 1; // the smallest usable length stays
    store.Values["RepeatTime"] = 160;
    EXPECT_TRUE(LoadSettings(store, s));
    EXPECT_EQ(s.AverCount, 1);
    EXPECT_EQ(s.RepeatTime, 160);
}

TEST(ProgramSettings, UnreadableValueEndsLoadingKeepingEarlierValues) {
    TFaultySettingsStore store;
    SaveSettings(store, Changed());
    store.Values["RepeatTime"] = std::string("fast"); // wrong type
    TProgramSettings s = DefaultSettings("/d");
    EXPECT_FALSE(LoadSettings(store, s));
    EXPECT_EQ(s.AverCount, 17);    // before it
    EXPECT_FALSE(s.RepeatAuto);    // before it
    EXPECT_EQ(s.RepeatTime, 1000); // itself
    EXPECT_FALSE(s.AutoRange);     // after it
    EXPECT_FALSE(s.StayOnTop);
}

TEST(ProgramSettings, SavingStopsWhenTheStoreRefuses) {
    TFaultySettingsStore store;
    store.Writable = false;
    EXPECT_FALSE(SaveSettings(store, Changed()));
    EXPECT_TRUE(store.Values.empty());

    store.Writable = true;
    store.FailWriteAt = "RepeatAuto";
    EXPECT_FALSE(SaveSettings(store, Changed()));
    EXPECT_TRUE(store.HasValue("AverCountMax"));
    EXPECT_FALSE(store.HasValue("RepeatTime"));
}

TEST(ProgramSettings, NoPortEntryIsStoredEmpty) {
    EXPECT_EQ(PortNameToSave("ŻADEN", "/dev/ttyS0"), "");
    EXPECT_EQ(PortNameToSave("żaden", ""), "");
    EXPECT_EQ(PortNameToSave("None", ""), "");
    EXPECT_EQ(PortNameToSave("/dev/ttyS1", "/dev/ttyS0"), "/dev/ttyS1");
    EXPECT_EQ(PortNameToSave("", "/dev/ttyS0"), "/dev/ttyS0");
    EXPECT_EQ(PortNameToSave("", "NONE"), "");
    EXPECT_EQ(PortNameToSave("nonexistent", ""), "nonexistent");
    EXPECT_EQ(PortNameToSave("Szukaj...", "/dev/ttyS0"), "/dev/ttyS0");
    EXPECT_EQ(PortNameToSave("search...", "żaden"), "");
}

TEST(LanguageChoice, SystemLocaleThenStoredOverride) {
    TFaultySettingsStore store;
    store.Exists = false;
    EXPECT_EQ(ChooseLanguage(0x0415, store), langPolish);
    EXPECT_EQ(ChooseLanguage(0x0409, store), langEnglish);
    EXPECT_EQ(ChooseLanguage(0x0407, store), langEnglish);
    EXPECT_EQ(ChooseLanguage(LocaleIdFromName("pl_PL.UTF-8"), store), langPolish);
    EXPECT_EQ(ChooseLanguage(LocaleIdFromName("en_GB"), store), langEnglish);
    EXPECT_EQ(ChooseLanguage(LocaleIdFromName("C"), store), langEnglish);
    EXPECT_EQ(LocaleIdFromName("plt_XX"), LOCALE_ENGLISH);

    store.Exists = true;
    store.Values["Language"] = 0x0409;
    EXPECT_EQ(ChooseLanguage(0x0415, store), langEnglish);
    store.Values["Language"] = 0x0415;
    EXPECT_EQ(ChooseLanguage(0x0409, store), langPolish);
    for (int keeps : {0, 7, 0x15, 0x0809}) {
        store.Values["Language"] = keeps;
        EXPECT_EQ(ChooseLanguage(0x0415, store), langPolish) << keeps;
        EXPECT_EQ(ChooseLanguage(0x0409, store), langEnglish) << keeps;
    }
    store.Values["Language"] = std::string("en");
    EXPECT_EQ(ChooseLanguage(0x0415, store), langPolish);
    EXPECT_EQ(DialogLanguageId(langPolish), 0x15);
    EXPECT_EQ(DialogLanguageId(langEnglish), 0x09);
}

TEST(DataFolder, FirstAvailableFolderWithK730) {
    EXPECT_EQ(DataFolder("/usr/share", "/home/u/.local/share", "/opt/k730"), "/usr/share/K730/");
    EXPECT_EQ(DataFolder("", "/home/u/.local/share/", "/opt/k730"), "/home/u/.local/share/K730/");
    EXPECT_EQ(DataFolder("", "", "/opt/k730"), "/opt/k730/K730/");
    EXPECT_EQ(DataFolder("C:\\Data", "", "", '\\'), "C:\\Data\\K730\\");
    const std::string folder = DataFolder("/x", "", "");
    EXPECT_EQ(CalHistoryPath(folder), "/x/K730/K730_CAL.dat");
    EXPECT_EQ(CalHistoryBackupPath(folder), "/x/K730/K730_CAL.bak");
    EXPECT_EQ(TemplateLibraryPath(folder), "/x/K730/K730_Template.dat");
}

TEST(SpreadsheetLookup, CalcFirstThenSuiteLauncherThenNone) {
    std::set<std::string> programs = {"/usr/bin/soffice", "/opt/lo/bin/localc"};
    auto exists = [&](const std::string& p) { return programs.count(p) > 0; };
    auto found = FindSpreadsheetProgram("/usr/local/bin::/usr/bin:/opt/lo/bin/", exists);
    EXPECT_EQ(found.Program, "/opt/lo/bin/localc");
    EXPECT_TRUE(found.Arguments.empty());

    programs.erase("/opt/lo/bin/localc");
    found = FindSpreadsheetProgram("/usr/local/bin:/usr/bin", exists);
    EXPECT_EQ(found.Program, "/usr/bin/soffice");
    EXPECT_EQ(found.Arguments, std::vector<std::string>{"--calc"});

    EXPECT_TRUE(FindSpreadsheetProgram("/usr/local/bin", exists).Program.empty());
    EXPECT_TRUE(FindSpreadsheetProgram("", exists).Program.empty());
}

} // namespace
} // namespace k730
