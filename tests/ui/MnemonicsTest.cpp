#include "ui/Mnemonics.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using TList = std::vector<std::string>;

TEST(Mnemonics, EveryItemOfAMenuGetsItsOwnLetter) {
    // The Command menu in Polish: several captions begin with the same word.
    const TList polish = {"Zeruj detektor",
                          "Zeruj system pomiarowy",
                          "Zerowanie automatyczne",
                          "Ustaw adres",
                          "Ustaw zakres domyślny",
                          "Ustaw ilość konwersji",
                          "Czas odświeżania wyniku",
                          "Automatyczna zmiana zakresu",
                          "Zakończ"};
    const TList marked = WithMnemonics(polish);
    ASSERT_EQ(marked.size(), polish.size());
    std::string keys;
    for (size_t i = 0; i < marked.size(); ++i) {
        EXPECT_EQ(StripMnemonic(marked[i]), polish[i]) << "only the underline is added";
        const size_t at = marked[i].find('&');
        ASSERT_NE(at, std::string::npos) << polish[i];
        const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(marked[i][at + 1])));
        EXPECT_EQ(keys.find(key), std::string::npos) << "letter used twice: " << key;
        keys += key;
    }
    EXPECT_EQ(marked[0], "&Zeruj detektor");
    EXPECT_EQ(marked[1], "Zeruj &system pomiarowy")
        << "a later word's first letter comes before other letters";
}

TEST(Mnemonics, PolishLettersAreNeverMarksAndAmpersandsStayVisible) {
    const TList marked = WithMnemonics({"Średnia", "Ślad", "A&B"});
    EXPECT_EQ(marked[0], "Ś&rednia") << "only ASCII letters can be typed with Alt";
    EXPECT_EQ(marked[1], "Ś&lad");
    EXPECT_EQ(marked[2], "&A&&B") << "the meter's own '&' stays one visible '&'";
    EXPECT_EQ(StripMnemonic(marked[2]), "A&B");
}

TEST(Mnemonics, ACaptionWithoutAFreeLetterGetsNone) {
    const TList marked = WithMnemonics({"ab", "ba", "a"});
    EXPECT_EQ(marked[0], "&ab");
    EXPECT_EQ(marked[1], "&ba");
    EXPECT_EQ(marked[2], "a");
    EXPECT_EQ(StripMnemonic("A&&&B"), "A&B");
}

} // namespace
} // namespace k730
