// The template editor's rules over a real library file: the display order,
// renaming and deleting templates, the spectral lists and what is saved.
#include "files/TempFolder.h"
#include "service/TemplateEditor.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TTemplateRec Rec(std::string name, uint8_t kind, std::string aperture = "",
                 std::array<float, 3> ranges = {200, 0, 0}, std::string spectral = "V") {
    TTemplateRec t;
    t.MeterName = std::move(name);
    t.MeterKind = kind;
    t.LumMode = (kind & 0x80) ? 1 : 0;
    t.Aperture = std::move(aperture);
    t.Ranges = ranges;
    t.Spectral = std::move(spectral);
    return t;
}

std::vector<std::string> Names(const TTemplateArray& all) {
    std::vector<std::string> names;
    for (const auto& t : all)
        names.push_back(t.MeterName);
    return names;
}

class TemplateEditorTest : public ::testing::Test {
protected:
    void Write(TTemplateArray all, TSpectralLists lists = DefaultSpectralLists()) {
        ASSERT_TRUE(WriteTemplateLibrary(path_, lists, all));
    }

    test::TTempFolder dir_;
    const std::string path_ = dir_ / "K730_Template.dat";
};

TEST(TemplateOrder, KindThenLuminanceThenFieldThenResponseThenRanges) {
    TTemplateArray all = {Rec("rad", 2),
                          Rec("lum 2 deg", 0x81, "2\u00B0"),
                          Rec("lum 30 min", 0x81, "30'"),
                          Rec("lux big", 1, "", {2000, 0, 0}),
                          Rec("lux small", 1, "", {200, 0, 0}),
                          Rec("lum 10 sec", 0x81, "10\""),
                          Rec("lum 1 deg", 0x81, "1\u00B0"),
                          Rec("lux V'", 1, "", {200, 0, 0}, "V'")};
    SortTemplates(all);
    EXPECT_EQ(Names(all), (std::vector<std::string>{"lux small", "lux big", "lux V'", "lum 10 sec",
                                                    "lum 30 min", "lum 1 deg", "lum 2 deg", "rad"}));
}

TEST(TemplateOrder, MeasuringFieldsBySignThenValueElseByBytes) {
    EXPECT_LT(CompareApertures("10\"", "1'"), 0);
    EXPECT_LT(CompareApertures("59'", "1\u00B0"), 0);
    EXPECT_LT(CompareApertures("2\u00B0", "10\u00B0"), 0) << "numbers, not texts";
    EXPECT_GT(CompareApertures("abc", "10\u00B0"), 0) << "bytes when one is not a field";
    EXPECT_EQ(CompareApertures("1,5\u00B0", "1.5\u00B0"), 0)
        << "either separator, as other installations write";
}

TEST(TemplateGrid, CellsAndRowHeights) {
    TTemplateRec t = Rec("K-730/V/20k/E/5", 1, "", {200, 2000, 20000});
    t.DefaultRange = 1;
    t.Config = 5;
    EXPECT_EQ(TemplateCell(t, 0, 2, 0, ','), "3.");
    EXPECT_EQ(TemplateCell(t, 1, 0, 0, ','), "K-730/V/20k/E/5");
    EXPECT_EQ(TemplateCell(t, 2, 0, 1, ','), "Photometer");
    EXPECT_EQ(TemplateCell(t, 4, 0, 0, ','), "NIE");
    EXPECT_EQ(TemplateCell(t, 6, 0, 0, ','), "200 lx\r\n2 klx\r\n20 klx");
    EXPECT_EQ(TemplateCell(t, 7, 0, 0, ','), "00000101");
    int bold = -1;
    TemplateRangeLines(t, ',', &bold);
    EXPECT_EQ(bold, 1);
    EXPECT_EQ(TemplateRowLines(t), 3);
    t.UserName = "lab";
    EXPECT_EQ(TemplateCell(t, 1, 0, 0, ','), "lab\r\nK-730/V/20k/E/5");
    t.Ranges = {200, 0, 0};
    EXPECT_EQ(TemplateRowLines(t), 2);
    t.MeterKind = 0x84;
    EXPECT_EQ(TemplateCell(t, 2, 0, 0, ','), "Błąd");
    EXPECT_EQ(TemplateCell(t, 6, 0, 0, ','), "200 ") << "no unit for an invalid kind";
}

TEST_F(TemplateEditorTest, ReadsSortsAndFindsTheCurrentTemplate) {
    TTemplateRec neg = Rec("neg", 1, "", {200, -5, 0});
    Write({Rec("rad", 2), neg, Rec("lux", 1)});
    TTemplateEditor e(tmEdit, path_, Rec("rad", 2));
    ASSERT_TRUE(e.Refresh());
    EXPECT_EQ(Names(e.Templates()), (std::vector<std::string>{"neg", "lux", "rad"}));
    EXPECT_EQ(e.CurrentRow(), 2);
    EXPECT_EQ(e.SelectedRow(), 0);
    EXPECT_EQ(e.Templates()[0].Ranges[1], 0.0f) << "a range below 0 is kept as absent";
    EXPECT_FALSE(e.Modified());
}

TEST_F(TemplateEditorTest, RenamingAUserName) {
    Write({Rec("lux", 1)});
    TTemplateEditor e(tmEdit, path_, {});
    ASSERT_TRUE(e.Refresh());
    e.SelectRow(0);
    EXPECT_FALSE(e.Buttons().apply) << "nothing changed yet";
    e.EditNewName("  bench 1 ");
    ASSERT_TRUE(e.Buttons().apply);
    e.Apply();
    EXPECT_EQ(e.Templates()[0].UserName, "bench 1");
    EXPECT_EQ(e.NewName(), "bench 1") << "the row is selected again";
    EXPECT_TRUE(e.Modified());
    EXPECT_TRUE(e.Buttons().save);
    e.EditNewName("   ");
    e.Apply();
    EXPECT_EQ(e.Templates()[0].UserName, "") << "blanks only clear the name";
    EXPECT_EQ(TemplateRowLines(e.Templates()[0]), 1);
}

TEST_F(TemplateEditorTest, DeletingEveryTemplateLeavesTheListsInTheLibrary) {
    TSpectralLists lists = DefaultSpectralLists();
    lists[1].push_back("UVB");
    Write({Rec("a", 1), Rec("b", 2)}, lists);
    TTemplateEditor e(tmEdit, path_, {});
    ASSERT_TRUE(e.Refresh());
    e.SelectRow(1);
    e.Delete();
    EXPECT_EQ(e.SelectedRow(), 0) << "the last row was deleted: the one before is selected";
    e.Delete();
    EXPECT_EQ(e.SelectedRow(), -1);
    EXPECT_FALSE(e.Buttons().del);
    EXPECT_FALSE(e.Buttons().open);
    ASSERT_TRUE(e.Save());
    EXPECT_FALSE(e.Modified());

    TTemplateEditor again(tmOpen, path_, {});
    ASSERT_TRUE(again.Refresh());
    EXPECT_TRUE(again.Templates().empty());
    EXPECT_EQ(again.Lists(), lists);
    EXPECT_FALSE(again.Choose()) << "nothing to open in an empty library";
}

TEST_F(TemplateEditorTest, OpenModeChoosesTheSelectedTemplate) {
    Write({Rec("lux", 1), Rec("rad", 2)});
    TTemplateEditor e(tmOpen, path_, {});
    ASSERT_TRUE(e.Refresh());
    EXPECT_FALSE(e.ChangePage(tpSpectral)) << "only the editing mode has the spectral page";
    e.SelectRow(1);
    ASSERT_TRUE(e.Choose());
    EXPECT_EQ(e.Record().MeterName, "rad");
}

TEST_F(TemplateEditorTest, SpectralListsAreEditedInPlace) {
    Write({});
    TTemplateEditor e(tmEdit, path_, {});
    ASSERT_TRUE(e.Refresh());
    ASSERT_TRUE(e.ChangePage(tpSpectral));
    EXPECT_EQ(e.CurrentList(), 0);
    EXPECT_EQ(e.SelectedItem(0), 0);
    EXPECT_FALSE(e.Buttons().up);
    EXPECT_TRUE(e.Buttons().down);
    e.MoveDown();
    EXPECT_EQ(e.Lists()[0], (std::vector<std::string>{"V'", "V", "V\""}));
    EXPECT_EQ(e.SelectedItem(0), 1);
    e.AddNewName();
    e.AddNewName();
    EXPECT_EQ(e.Lists()[0].size(), 4u) << "\"Nowy\" is added once";
    EXPECT_EQ(e.SelectedItem(0), 3);
    EXPECT_EQ(e.NewName(), "Nowy");
    e.EditNewName(" UV-V ");
    e.Apply();
    EXPECT_EQ(e.Lists()[0].back(), "UV-V");
    EXPECT_EQ(e.NewName(), "");
    EXPECT_FALSE(e.Buttons().apply) << "an empty name renames nothing";
    e.ClickItem(3, 0);
    e.Delete();
    EXPECT_TRUE(e.Lists()[3].empty());
    EXPECT_FALSE(e.Buttons().del);
    EXPECT_TRUE(e.Buttons().add);
    ASSERT_TRUE(e.Save());
    TSpectralLists saved;
    ASSERT_TRUE(ReadTemplateFile(path_, &saved, nullptr));
    EXPECT_EQ(saved, e.Lists());
}

TEST_F(TemplateEditorTest, MissingLibraryKeepsTheDefaults) {
    TTemplateEditor e(tmEdit, path_, {});
    EXPECT_FALSE(e.Refresh());
    EXPECT_EQ(e.Lists(), DefaultSpectralLists());
    EXPECT_TRUE(e.Templates().empty());
    TTemplateEditor save(tmSave, path_, Rec("K-730/V/200/E/0", 1));
    save.EditUserName("a name longer than twenty characters");
    EXPECT_EQ(save.Record().UserName, "a name longer than t");
}

} // namespace
} // namespace k730
