// The template library: layout, version rule, look-ups, add and import merge.
#include "files/FileIo.h"
#include "files/TemplateLib.h"
#include "files/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Concat;
using test::Hex;
using test::Text;

TTemplateRec Tpl(std::string name, uint8_t kind = 1, std::string user = "") {
    TTemplateRec t;
    t.MeterName = std::move(name);
    t.UserName = std::move(user);
    t.MeterKind = kind;
    t.Spectral = "V";
    t.LumMode = 1;
    t.Aperture = "2°";
    t.Ranges = {200, 2000, -1};
    t.DefaultRange = 1;
    t.Config = 0x05;
    t.Version = "A1";
    return t;
}

const TBytes header = Text("K730 SZABLONY ver. 1.16 ");
const TBytes emptyLists = Hex("00 00 00 00");

TEST(TemplateLayout, ListsAndARecordByteForByte) {
    TTemplateArray one = {Tpl("K1", 0x81, "u")};
    const TBytes file = SerializeTemplateFile(DefaultSpectralLists(), one);
    const TBytes expected = Concat(
        {header, Text("V\r\nV'\r\nV\"\r\n"), Hex("00"), Text("B\r\nR\r\nS\r\nUVA\r\nIR\r\n"), Hex("00"),
         Text("PAR\r\n"), Hex("00"), Text("I\r\n"), Hex("00"),
         // name, user, kind, spectral, LumMode, aperture (° is B0), default range before the ranges
         Hex("4B 31 00 75 00 81 56 00 01 32 B0 00 01 00 00 48 43 00 00 FA 44 00 00 80 BF 05 41 31 00")});
    EXPECT_EQ(file, expected);
    TSpectralLists lists;
    TTemplateArray back;
    ASSERT_TRUE(ParseTemplateFile(file, &lists, &back).valid);
    EXPECT_EQ(lists, DefaultSpectralLists());
    EXPECT_EQ(back, one);
}

TEST(TemplateLayout, EndingAfterTheFourthListIsAnEmptyLibrary) {
    TTemplateArray none;
    const TBytes file = SerializeTemplateFile({}, none);
    EXPECT_EQ(file, Concat({header, emptyLists}));
    TTemplateArray back = {Tpl("stale")};
    back.clear();
    EXPECT_TRUE(ParseTemplateFile(file, nullptr, &back).valid);
    EXPECT_TRUE(back.empty());
}

TEST(TemplateLayout, LumModeZeroClearsTheAperture) {
    TTemplateArray arr = {Tpl("K1")};
    arr[0].LumMode = 0;
    const TBytes file = SerializeTemplateFile({}, arr);
    EXPECT_TRUE(arr[0].Aperture.empty()); // the caller's element too
    TTemplateArray back;
    ParseTemplateFile(file, nullptr, &back);
    EXPECT_TRUE(back.at(0).Aperture.empty());
}

TEST(TemplateLayout, VersionRuleLooksAtTheMajorNumberOnly) {
    const TBytes lists = emptyLists;
    auto withVersion = [&](const char* v) {
        return ParseTemplateFile(Concat({Text("K730 SZABLONY ver. "), Text(v), Text(" "), lists}), nullptr,
                                 nullptr)
            .valid;
    };
    for (const char* v : {"1.16", "1.99", "0.5", "v1.7x", "", "1"})
        EXPECT_TRUE(withVersion(v)) << v;
    for (const char* v : {"2.0", "10.1", "2"})
        EXPECT_FALSE(withVersion(v)) << v;
}

TEST(TemplateLayout, LastStringMayEndTheFileWithoutItsZero) {
    TTemplateArray arr = {Tpl("K1")};
    TBytes file = SerializeTemplateFile({}, arr);
    file.pop_back();
    TTemplateArray back;
    ASSERT_TRUE(ParseTemplateFile(file, nullptr, &back).valid);
    EXPECT_EQ(back.at(0).Version, "A1");
    // Nothing of the version at all is a cut record, and so is a range block cut short.
    file.resize(file.size() - 2);
    EXPECT_FALSE(ParseTemplateFile(file, nullptr, &back).valid);
    file.resize(file.size() - 6);
    EXPECT_FALSE(ParseTemplateFile(file, nullptr, &back).valid);
    EXPECT_FALSE(ParseTemplateFile(Text("K730 SZABLONY ver.1.16 "), nullptr, nullptr).valid);
}

TEST(TemplateLayout, FileCutInsideItsHeadOrListsIsDamaged) {
    TTemplateArray none;
    const TBytes whole = SerializeTemplateFile(DefaultSpectralLists(), none);
    const size_t secondList = header.size() + Text("V\r\nV'\r\nV\"\r\n").size() + 1;
    TSpectralLists lists;
    const TTemplateRead cut = ParseTemplateFile(std::span(whole).first(secondList + 3), &lists, nullptr);
    EXPECT_FALSE(cut.valid);
    EXPECT_FALSE(cut.error.empty());
    EXPECT_EQ(lists[0], DefaultSpectralLists()[0]); // what could be read is kept
    // Cut after the third list's zero, right after the header, inside the version.
    EXPECT_FALSE(ParseTemplateFile(std::span(whole).first(whole.size() - 4), nullptr, nullptr).valid);
    EXPECT_FALSE(ParseTemplateFile(header, nullptr, nullptr).valid);
    EXPECT_FALSE(ParseTemplateFile(Text("K730 SZABLONY ver. 1.1"), nullptr, nullptr).valid);
    // The fourth list is the last text of a library without templates: its zero may be missing.
    EXPECT_TRUE(ParseTemplateFile(std::span(whole).first(whole.size() - 1), &lists, nullptr).valid);
    EXPECT_EQ(lists[3], DefaultSpectralLists()[3]);
}

class TemplateFiles : public ::testing::Test {
protected:
    test::TTempFolder dir;
    std::string lib = dir / "K730/K730_Template.dat";
    TAskYesNo yes = [](const TFileMessage&) { return true; };
    TAskYesNo no = [](const TFileMessage&) { return false; };
};

TEST_F(TemplateFiles, LookUpsOnAMissingLibraryFindNothing) {
    TTemplateRec key = Tpl("K1");
    EXPECT_FALSE(FindTemplate(lib, key));
    EXPECT_FALSE(TemplateExists(lib, "K1", 1));
    EXPECT_EQ(TemplateUserName(lib, "K1", 1), "");
}

TEST_F(TemplateFiles, AddCreatesAppendsAndOverwritesAfterAsking) {
    TTemplateOutcome r = AddTemplateToLibrary(lib, Tpl("K1", 1, "first"), no);
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.message.pl, "Pomyślnie dopisano szablon\r\nK1");
    EXPECT_TRUE(IsReadOnly(lib));
    TSpectralLists lists;
    ASSERT_TRUE(ReadTemplateFile(lib, &lists, nullptr));
    EXPECT_EQ(lists, DefaultSpectralLists());
    // Same name, another kind: a second template.
    ASSERT_TRUE(AddTemplateToLibrary(lib, Tpl("K1", 2), no).success);
    EXPECT_TRUE(TemplateExists(lib, "K1", 2));
    EXPECT_FALSE(TemplateExists(lib, "k1", 1)); // names compare with case
    // Declining the overwrite leaves the file as it was.
    const TBytes before = test::ReadBytes(lib);
    r = AddTemplateToLibrary(lib, Tpl("K1", 1, "second"), no);
    EXPECT_TRUE(r.success);
    EXPECT_TRUE(r.message.Empty());
    EXPECT_EQ(test::ReadBytes(lib), before);
    r = AddTemplateToLibrary(lib, Tpl("K1", 1, "second"), yes);
    EXPECT_EQ(r.message.pl, "Pomyślnie nadpisano szablon\r\nK1");
    EXPECT_EQ(TemplateUserName(lib, "K1", 1), "second");
    TTemplateArray all;
    ReadTemplateFile(lib, nullptr, &all);
    EXPECT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].UserName, "second"); // replaced in place
}

TEST_F(TemplateFiles, ImportWithNoToAllKeepsTemplatesAndStillAddsNew) {
    TSpectralLists libLists = DefaultSpectralLists();
    TTemplateArray libArr = {Tpl("A", 1, "mine"), Tpl("B", 1, "mine")};
    ASSERT_TRUE(WriteTemplateLibrary(lib, libLists, libArr));
    TSpectralLists fromLists = {std::vector<std::string>{"v", "Vλ"}, {}, {"PAR", "ePAR"}, {}};
    TTemplateArray fromArr = {Tpl("A", 1, "theirs"), Tpl("B", 1, "theirs"), Tpl("C", 1, "theirs")};
    const std::string from = dir / "from.dat";
    ASSERT_TRUE(WriteTemplateLibrary(from, fromLists, fromArr));
    int asked = 0;
    const TTemplateImport r = ImportTemplateFile(
        lib, from, "from.dat", [](const TFileMessage&) { return tiSynchronize; },
        [&](const TFileMessage&) {
            ++asked;
            return aaNoToAll;
        });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.replaced, 0);
    EXPECT_EQ(r.appended, 1);
    EXPECT_EQ(r.appendedNames, 2); // "v" is "V" without case; "Vλ" and "ePAR" are new
    EXPECT_EQ(r.message.pl, "Poprawnie zaimportowano plik szablonów:\r\nfrom.dat\r\n\r\n"
                            "Nadpisanych szablonów:          \t0\r\n"
                            "Dopisanych szablonów:           \t1\r\n"
                            "Dopisanych czułości widmowych: \t2");
    EXPECT_EQ(TemplateUserName(lib, "A", 1), "mine");
    EXPECT_EQ(TemplateUserName(lib, "C", 1), "theirs");
}

TEST_F(TemplateFiles, ImportCancelWritesNothingAndAMissingLibraryIsCopied) {
    TTemplateArray arr = {Tpl("A")};
    const std::string from = dir / "from.dat";
    ASSERT_TRUE(WriteTemplateLibrary(from, DefaultSpectralLists(), arr));
    auto never = [](const TFileMessage&) -> TTemplateImportMode {
        ADD_FAILURE() << "no question for a missing library";
        return tiCancel;
    };
    TTemplateImport r = ImportTemplateFile(lib, from, "f", never, [](const TFileMessage&) { return aaYes; });
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(test::ReadBytes(lib), test::ReadBytes(from));
    const TBytes before = test::ReadBytes(lib);
    r = ImportTemplateFile(
        lib, from, "f", [](const TFileMessage&) { return tiSynchronize; },
        [](const TFileMessage&) { return aaCancel; });
    EXPECT_EQ(r.message.pl, "Import przewrano na żądanie użytkownika.");
    EXPECT_EQ(test::ReadBytes(lib), before);
    test::WriteBytes(dir / "junk.dat", Text("junk"));
    r = ImportTemplateFile(lib, dir / "junk.dat", "junk.dat", never, nullptr);
    EXPECT_EQ(r.message.pl, "Plik junk.dat\r\nnie jest plikiem szablonów.");
}

} // namespace
} // namespace k730
