#include "ui/QtSettingsStore.h"
#include "main/MemorySettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k730 {
namespace {

class QtSettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString File() const { return dir_.filePath("K730.ini"); }
};

TEST_F(QtSettingsStoreTest, ValuesSurviveReopeningTheStore) {
    {
        QtSettingsStore store(File());
        EXPECT_FALSE(store.KeyExists());
        EXPECT_TRUE(store.SetString("PortName", "COM3 Żółć"));
        EXPECT_TRUE(store.SetInteger("RepeatTime", 1000));
        EXPECT_TRUE(store.SetInteger("Language", static_cast<std::int32_t>(0xFFFFFFFFu)));
        EXPECT_TRUE(store.SetBool("AutoRange", true));
        EXPECT_TRUE(store.SetBinary("TmplWinCols", std::vector<std::uint8_t>(36, 0xA5)));
        EXPECT_TRUE(store.Flush());
    }
    QtSettingsStore store(File());
    EXPECT_TRUE(store.KeyExists());
    EXPECT_EQ(store.GetString("PortName"), "COM3 Żółć");
    EXPECT_EQ(store.GetInteger("RepeatTime"), 1000);
    EXPECT_EQ(store.GetInteger("Language"), -1);
    EXPECT_EQ(store.GetBool("AutoRange"), true);
    // Booleans are the integers 0 and 1, as the registry keeps them.
    EXPECT_EQ(store.GetInteger("AutoRange"), 1);
    EXPECT_EQ(store.GetBinary("TmplWinCols"), std::vector<std::uint8_t>(36, 0xA5));
}

TEST_F(QtSettingsStoreTest, MissingAndMistypedValuesAreTold) {
    QtSettingsStore store(File());
    store.SetString("AverCountMax", "five");
    EXPECT_FALSE(store.HasValue("RepeatAuto"));
    EXPECT_FALSE(store.GetInteger("RepeatAuto").has_value());
    EXPECT_TRUE(store.HasValue("AverCountMax"));
    EXPECT_FALSE(store.GetInteger("AverCountMax").has_value());
    EXPECT_FALSE(store.GetBool("AverCountMax").has_value());
    EXPECT_FALSE(store.GetBinary("AverCountMax").has_value());
}

TEST(MemorySettingsStore, ReadsOnlyWhatWasWrittenWithTheSameType) {
    TMemorySettingsStore store;
    EXPECT_FALSE(store.KeyExists());
    store.SetString("PortName", "");
    EXPECT_TRUE(store.KeyExists());
    EXPECT_EQ(store.GetString("PortName"), "");
    EXPECT_FALSE(store.GetInteger("PortName").has_value());
    store.SetBool("StayOnTop", false);
    EXPECT_EQ(store.GetBool("StayOnTop"), false);
}

} // namespace
} // namespace k730
