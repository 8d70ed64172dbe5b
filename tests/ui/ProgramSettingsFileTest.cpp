// The program settings through the settings file the program really uses:
// every value survives a save, a restart and a load.
#include "main/K730Settings.h"
#include "ui/QtSettingsStore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace k730 {
namespace {

TEST(ProgramSettingsFile, SavedSettingsReadBackAfterARestart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("K730.ini");
    TProgramSettings saved = DefaultSettings("/home/ż/Dokumenty, moje");
    saved.PortName = "/dev/ttyUSB0";
    saved.ShowMinMaxAverage = true;
    saved.AverCount = 12;
    saved.RepeatAuto = false;
    saved.RepeatTime = 250;
    saved.LastTemplateName = "123"; // a name that looks like a number stays a name
    saved.LastTemplateKind = 0x83;
    saved.TmplWinCols = {100, 0, -1, 3, 4, 5, 6, 7, 8};
    saved.StayOnTop = true;
    {
        QtSettingsStore store(file);
        ASSERT_TRUE(SaveSettings(store, saved));
        ASSERT_TRUE(store.Flush());
    }
    QtSettingsStore store(file);
    TProgramSettings loaded = DefaultSettings("/elsewhere");
    ASSERT_TRUE(LoadSettings(store, loaded));
    EXPECT_EQ(loaded.PortName, saved.PortName);
    EXPECT_EQ(loaded.DirHistMeas, saved.DirHistMeas);
    EXPECT_EQ(loaded.DirHistCALExport, saved.DirHistCALExport);
    EXPECT_TRUE(loaded.ShowMinMaxAverage);
    EXPECT_EQ(loaded.AverCount, 12);
    EXPECT_FALSE(loaded.RepeatAuto);
    EXPECT_EQ(loaded.RepeatTime, 250);
    EXPECT_EQ(loaded.LastTemplateName, "123");
    EXPECT_EQ(loaded.LastTemplateKind, 0x83);
    EXPECT_EQ(loaded.TmplWinCols, saved.TmplWinCols);
    EXPECT_TRUE(loaded.StayOnTop);
    EXPECT_FALSE(store.HasValue("Language"));
}

} // namespace
} // namespace k730
