// The information page's texts and the service window's place beside the main window.
#include "service/ServiceInfo.h"
#include "service/ServiceEdits.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TEST(InfoPage, PrefixesArePaddedToTheWidestInTheProgramLanguage) {
    const TInfoTexts pl = InfoPrefixes(0);
    for (const auto& p : pl)
        EXPECT_EQ(Utf8Length(p), Utf8Length("Tryb pomiaru luminancji: ")) << p;
    EXPECT_EQ(pl[ilSerial].rfind("Numer seryjny: ", 0), 0u);
    const TInfoTexts en =
        InfoPrefixes(1, [](const std::string& s) { return static_cast<int>(s.size()) * 7; });
    EXPECT_EQ(en[ilYear], "Production year:  ");
    EXPECT_EQ(en[ilLum], "Luminance mode:   ");
}

TEST(InfoPage, IdentityTexts) {
    TMeterInfo info;
    info.SerialNumber = 0xFFFF;
    info.ProductionYear = 2024;
    info.MeterKind = 1;
    info.LumMode = 1;
    info.RangeCount = 2;
    info.RangeFullScale[0] = 20;
    info.RangeFullScale[1] = 2000;
    info.FirmwareVersion = "2.1";
    const TInfoTexts empty{};
    TInfoTexts t = InfoIdentityTexts(empty, info, 1, ',');
    EXPECT_EQ(t[ilSerial], "---");
    EXPECT_EQ(t[ilYear], "2024");
    EXPECT_EQ(t[ilKind], "Photometer");
    EXPECT_EQ(t[ilLum], "YES");
    EXPECT_EQ(t[ilRange], "20  2k  [cd\u00B7m^-2]");
    EXPECT_EQ(t[ilVersion], "2.1");
    EXPECT_EQ(InfoDefaultRangeText(empty, info, 1, ','), "2k");
    EXPECT_EQ(InfoDefaultRangeText(empty, info, 2, ','), "") << "no third range";
    info.RangeCount = 1;
    EXPECT_EQ(InfoIdentityTexts(empty, info, 1, ',')[ilRange], "20cd\u00B7m^-2");
    info.MeterKind = 4; // an amperemeter cannot measure luminance
    t = InfoIdentityTexts(InfoPrefixes(0), info, 0, ',');
    EXPECT_EQ(t[ilKind], "Błąd") << "the error alone, without the prefix";
    EXPECT_EQ(t[ilRange].substr(t[ilRange].size() - 3), " 20") << "no unit for an invalid kind";
    EXPECT_EQ(InfoConfigText(empty, 5), "00000101");
}

TEST(Placement, BesideTheMainWindowAndInsideTheWorkArea) {
    const TScreenRect work{0, 0, 1920, 1040};
    const TServicePlacement beside = PlaceServiceWindow({100, 50, 500, 300}, 600, 500, work);
    EXPECT_EQ(beside.x, 600);
    EXPECT_EQ(beside.y, 50);
    EXPECT_EQ(beside.mainX, 100) << "the main window stays where it is";
    const TServicePlacement pushed = PlaceServiceWindow({1200, 50, 500, 300}, 600, 500, work);
    EXPECT_EQ(pushed.x, 1320);
    EXPECT_EQ(pushed.mainX, 820) << "the main window ends where the service window begins";
    const TServicePlacement tight = PlaceServiceWindow({1200, 900, 500, 300}, 1600, 500, work);
    EXPECT_EQ(tight.mainX, 0) << "not past the left edge";
    EXPECT_EQ(tight.x, 320);
    EXPECT_EQ(tight.y, 540) << "moved up into the work area";
}

} // namespace
} // namespace k730
