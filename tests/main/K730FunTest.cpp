#include "main/K730Fun.h"
#include "main/ProgramFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace k730 {
namespace {

TEST(MeterKind, ValidityAndUnknownKinds) {
    EXPECT_TRUE(IsValidMeterType(0x83));
    EXPECT_TRUE(IsValidMeterType(0x04));
    EXPECT_FALSE(IsValidMeterType(0x84)); // amperemeter with the luminance bit
    EXPECT_FALSE(IsValidMeterType(0x00));
    EXPECT_FALSE(IsValidMeterType(0x05));
    EXPECT_EQ(MeterTypeText(4, 1, langPolish), "Amperemeter");
    EXPECT_EQ(MeterTypeText(4, 1, langEnglish), "Amperemeter");
    EXPECT_EQ(MeterTypeText(5, 0, langEnglish), "Unknown meter type");
    EXPECT_EQ(MeterTypeText(0x7F, 1, langPolish), "Nieznany typ miernika");
    EXPECT_EQ(MeterUnitText(5, 0), "");
    EXPECT_EQ(QuantitySymbol(4, 1), 'I');
    EXPECT_EQ(SensitivitySymbol(10, langPolish), "Błąd");
    EXPECT_EQ(SensitivitySymbol(-1, langEnglish), "Error");
    EXPECT_EQ(SensitivityIndex("V\""), 2);
    EXPECT_EQ(SensitivityIndex("v"), -1);
}

TEST(MeterTexts, UnknownSerialAndYear) {
    EXPECT_EQ(SerialAndYearText(0xFFFF, 0xFFFF), "---/----");
    EXPECT_EQ(SerialAndYearText(123, 2019), "123/2019");
    EXPECT_EQ(SerialNumberText(0), "0");
}

TEST(MeterTexts, VersionComparison) {
    EXPECT_EQ(CompareVersions("2.0.5", "2.0.0005"), 0);
    EXPECT_EQ(CompareVersions("2.1", "2.0.0005"), 1);
    EXPECT_EQ(CompareVersions("1.9.9999", "2.0.0005"), -1);
    EXPECT_EQ(CompareVersions("2", "2.0.0"), 0);
    EXPECT_EQ(CompareVersions("v2-1", "2.1"), 0);
    EXPECT_EQ(CompareVersions("", ""), 0);
    // A group beyond a 32-bit integer ends the comparison against its side.
    EXPECT_EQ(CompareVersions("99999999999", "1"), -1);
    EXPECT_EQ(CompareVersions("1", "99999999999"), 1);
    EXPECT_TRUE(IsNewFirmware("2.0.0005"));
    EXPECT_FALSE(IsNewFirmware(""));
    EXPECT_TRUE(IsVersionText("2.0.0005"));
    EXPECT_FALSE(IsVersionText("2.0a"));
    EXPECT_FALSE(IsVersionText(""));
}

TEST(MeterTexts, Ampersands) {
    EXPECT_EQ(MeterNameText("A&B"), "A&B") << "a label shows the meter's text as it stands";
    EXPECT_EQ(MeterNameText(""), "-----");
    EXPECT_EQ(MeterNameText("ŻADEN"), "-----");
    EXPECT_EQ(MeterNameText("None"), "-----");
    EXPECT_EQ(MeterNameText("żadna"), "żadna");
    EXPECT_EQ(MeterNumberText(""), "-----");
    EXPECT_EQ(EscapeAmpersands("A&B"), "A&&B");
    EXPECT_EQ(UnescapeAmpersands("A&&B"), "A&B");
    EXPECT_EQ(UnescapeAmpersands("A&B&&&"), "A&B&&");
    EXPECT_EQ(UnescapeAmpersands(EscapeAmpersands("&&x&")), "&&x&");
}

TEST(MeterTexts, TemperatureCodes) {
    EXPECT_DOUBLE_EQ(TempCodeToCelsius(0), -50.0);
    EXPECT_DOUBLE_EQ(TempCodeToCelsius(1024), 60.0);
    EXPECT_NEAR(TempCodeToCelsius(512 + 46) - TempCodeToCelsius(512), 4.94, 0.01);
    EXPECT_EQ(TemperatureText(1024, ','), "60,0°C");
    EXPECT_EQ(TemperatureText(0, '.'), "-50.0°C");
    EXPECT_EQ(TemperatureText(465, ','), "0,0°C"); // -0.049 °C: no lone minus
    EXPECT_EQ(TemperatureText(680, ','), "23,0°C");
}

TEST(Descriptor, DerivedValues) {
    const std::string full = "K-730/V/2M/L1/3/A1";
    EXPECT_EQ(DescriptorSensitivity(full), "V");
    EXPECT_EQ(DescriptorAperture(full), "1");
    EXPECT_EQ(DescriptorConfiguration(full), 3);
    EXPECT_EQ(DescriptorVersion(full), "A1");
    EXPECT_EQ(DescriptorVersionText(full, langEnglish), "A1");

    const std::string bare = "K-730";
    EXPECT_EQ(DescriptorSensitivity(bare), "");
    EXPECT_EQ(DescriptorAperture(bare), "");
    EXPECT_EQ(DescriptorConfiguration(bare), 0);
    EXPECT_EQ(DescriptorVersionText(bare, langEnglish), "basic");
    EXPECT_EQ(DescriptorVersionText(bare, langPolish), "podstawowa");

    // Only the first line counts; a digit aperture keeps its first character;
    // configuration outside 0..255 is 0; the version keeps later slashes.
    EXPECT_EQ(DescriptorVersion("K/V/2M/L1/3\r\n/A1"), "");
    EXPECT_EQ(DescriptorAperture("K/PAR/500M/200°/7/x/y"), "200°");
    EXPECT_EQ(DescriptorConfiguration("K/V/2M/L1/256/A1"), 0);
    EXPECT_EQ(DescriptorConfiguration("K/V/2M/L1/3a/A1"), 0);
    EXPECT_EQ(DescriptorVersion("K/V/2M/L1/3/A1/B2"), "A1/B2");
}

TEST(DeviceModels, CodeSixIsThisProductAndNineIsMissing) {
    const TDeviceModel k730 = DeviceModelName(DEVICE_CODE_K730);
    EXPECT_TRUE(k730.found);
    EXPECT_EQ(k730.name, "K-730");
    EXPECT_EQ(k730.index, 6);
    EXPECT_EQ(DeviceModelName(10).index, 9);
    EXPECT_EQ(DeviceModelName(35).index, 34);
    for (int code : {0, 9, 36, -5}) {
        const TDeviceModel model = DeviceModelName(code);
        EXPECT_FALSE(model.found) << code;
        EXPECT_EQ(model.index, 0);
        EXPECT_EQ(model.name, "Nieznane urządzenie");
    }
}

} // namespace
} // namespace k730

namespace k730 {
namespace {

// The Help menu finds the manuals beside a program run from its build folder
// and in <prefix>/share/doc/k730 once installed.
TEST(ProgramFiles, ManualsBesideTheProgramOrInTheInstalledDocumentation) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("k730-files-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share" / "doc" / "k730");
    const std::string bin = (root / "bin").string();
    EXPECT_EQ(FindProgramFile(bin, "guide.pdf"), (root / "bin" / "guide.pdf").string())
        << "none: where expected first";
    std::ofstream(root / "share" / "doc" / "k730" / "guide.pdf") << "x";
    EXPECT_EQ(FindProgramFile(bin, "guide.pdf"), (root / "share" / "doc" / "k730" / "guide.pdf").string());
    std::ofstream(root / "bin" / "guide.pdf") << "x";
    EXPECT_EQ(FindProgramFile(bin, "guide.pdf"), (root / "bin" / "guide.pdf").string())
        << "the build folder wins";
    fs::remove_all(root);
}

} // namespace
} // namespace k730
