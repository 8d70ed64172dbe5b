// The caption table: every control named once, both languages filled.
#include "main/K730Captions.h"

#include <gtest/gtest.h>

#include <set>

namespace k730 {
namespace {

TEST(Captions, EachControlOnceWithBothTexts) {
    std::set<std::string_view> names;
    for (const auto& caption : MainWindowCaptions()) {
        EXPECT_TRUE(names.insert(caption.Control).second) << caption.Control;
        EXPECT_FALSE(caption.Text.pl.empty()) << caption.Control;
        EXPECT_FALSE(caption.Text.en.empty()) << caption.Control;
    }
    EXPECT_EQ(names.size(), 40u);
    EXPECT_EQ(MainWindowCaption("MenuCalExport", langEnglish), "Eksport history log");
    EXPECT_EQ(MainWindowCaption("MenuShowIconStatus", langPolish), "Pokaż pasek statusu");
    EXPECT_EQ(MainWindowCaption("MenuWWW", langPolish), "");
    EXPECT_NE(MakerWebUrl(langPolish), MakerWebUrl(langEnglish));
}

} // namespace
} // namespace k730
