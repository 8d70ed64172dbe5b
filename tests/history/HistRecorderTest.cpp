// The window's rules around the sampler: questions with their check boxes,
// deleting, closing, and the files, with every dialog answered by the test.
#include "files/HistFile.h"
#include "history/HistFakes.h"
#include "history/HistRecorder.h"
#include "main/K730Settings.h"
#include "ui/ConfLayout.h"

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using test::HistStatusFrame;

class HistRecorderTest : public ::testing::Test {
protected:
    THistPrompts Prompts() {
        THistPrompts p;
        p.YesNoCheck = [this](const std::string& text, const std::string& check, bool& checked) {
            asked.push_back(text + " [" + check + "]");
            checked = keepChecked;
            return yes;
        };
        p.YesNo = [this](const std::string& text, unsigned style) {
            asked.push_back(text);
            styles.push_back(style);
            return yes;
        };
        p.Message = [this](const std::string& text, unsigned) { messages.push_back(text); };
        p.NoteCheck = [this](const std::string& text, const std::string& check, bool& checked) {
            notes.push_back(text + " [" + check + "]");
            checked = keepChecked;
        };
        p.ChooseOpen = [this](const std::string& folder) {
            dialogs.push_back("open " + folder);
            return openPath;
        };
        p.ChooseSave = [this](THistTarget target, const std::string& folder, const std::string& preset) {
            dialogs.push_back("save " + std::to_string(target) + " " + folder + " " + preset);
            return savePath;
        };
        p.ShortenPath = [](const std::string& path) { return path; };
        return p;
    }

    // Records at one second until `count` records exist; recording goes on.
    void Record(size_t count) {
        if (!recorder.Recording()) recorder.StartStop(meter, Tick(160), Days());
        while (recorder.Data().Samples.size() < count)
            recorder.OnStatus(HistStatusFrame(12.5f), meter, Tick(160), Days());
    }
    uint32_t Tick(uint32_t step) { return tick += step; }
    double Days() const { return 45'000.5 + tick / 86'400'000.0; }
    std::string Dir() const { return fs::path(folder / "x").parent_path().string(); }

    test::TTempFolder folder;
    TProgramSettings settings = DefaultSettings(folder / "docs");
    THistChecks checks;
    std::vector<std::string> asked, messages, notes, dialogs;
    std::vector<unsigned> styles;
    bool yes = true;
    bool keepChecked = true;
    std::optional<std::string> openPath, savePath;
    THistRecorder recorder{settings, checks, Prompts(), langEnglish, ','};
    TMeterInfo meter = test::HistMeter();
    uint32_t tick = 5000;
};

// --- questions -----------------------------------------------------------------------

TEST_F(HistRecorderTest, StartingOverRecordsAsksToClearThemAndNoKeepsThem) {
    recorder.CommentEdited("lamp 3");
    Record(3);
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_EQ(asked,
              (std::vector<std::string>{"Stop history registration? [Always confirm registration stop]"}));
    EXPECT_FALSE(recorder.Recording());

    yes = false;
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_EQ(asked.back(), "Clear history log? [Always confirm registration clear]")
        << "starting clears the records only, so the comment is not named";
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(recorder.Data().Samples.size(), 3u);

    yes = true;
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_TRUE(recorder.Recording());
    EXPECT_TRUE(recorder.Data().Samples.empty());
    EXPECT_EQ(recorder.Comment(), "lamp 3");
}

TEST_F(HistRecorderTest, StopQuestionFollowsItsCheckBoxAndNoKeepsRecording) {
    recorder.StartStop(meter, Tick(10), Days());
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_TRUE(asked.empty()) << "nothing recorded yet, nothing to confirm";
    Record(2);
    yes = false;
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_TRUE(recorder.Recording());
    yes = true;
    keepChecked = false; // the user unticks "Always confirm registration stop"
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_FALSE(recorder.Recording());
    EXPECT_FALSE(checks.confirmStop);
    asked.clear();
    Record(3);
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_EQ(asked, (std::vector<std::string>{"Clear history log? [Always confirm registration clear]"}))
        << "only the start asked";
    EXPECT_FALSE(recorder.Recording());
}

TEST_F(HistRecorderTest, ClearingNamesTheCommentOnlyWhenThereIsOne) {
    recorder.Clear(Days());
    EXPECT_TRUE(asked.empty()) << "nothing to clear";
    Record(2);
    recorder.StartStop(meter, Tick(10), Days());
    recorder.CommentEdited("dim");
    yes = false;
    recorder.Clear(Days());
    EXPECT_EQ(asked.back(), "Clear history log and comment? [Always confirm registration clear]");
    EXPECT_EQ(recorder.Comment(), "dim");
    recorder.CommentEdited("");
    recorder.Clear(Days());
    EXPECT_EQ(asked.back(), "Clear history log? [Always confirm registration clear]");
    yes = true;
    recorder.Clear(Days());
    EXPECT_TRUE(recorder.Data().Samples.empty());
    EXPECT_FALSE(recorder.Unsaved());
    EXPECT_EQ(recorder.Data().MeterKind, 0);
}

TEST_F(HistRecorderTest, DeleteAsksWithOneBasedNumbers) {
    Record(10);
    recorder.StartStop(meter, Tick(10), Days());
    yes = false;
    EXPECT_FALSE(recorder.Delete(0, 2));
    EXPECT_EQ(asked.back(), "Delete records 1 to 3 in history log?");
    EXPECT_EQ(styles.back(), MB_ICONQUESTION);
    EXPECT_EQ(recorder.Data().Samples.size(), 10u);
    yes = true;
    const uint64_t generation = recorder.Generation();
    EXPECT_TRUE(recorder.Delete(9, 9));
    EXPECT_EQ(asked.back(), "Delete record 10 in history log?");
    EXPECT_EQ(recorder.Data().Samples.size(), 9u);
    EXPECT_NE(recorder.Generation(), generation) << "the grid is rebuilt";
    asked.clear();
    EXPECT_FALSE(recorder.Delete(2, 4));
    EXPECT_TRUE(asked.empty()) << "a middle block is not even asked about";
}

TEST_F(HistRecorderTest, ClosingAsksOnlyWhenSomethingWouldBeLost) {
    EXPECT_TRUE(recorder.ConfirmClose());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(recorder.MainCloseQuestion(), "");
    recorder.StartStop(meter, Tick(10), Days());
    yes = false;
    EXPECT_FALSE(recorder.ConfirmClose());
    EXPECT_EQ(asked.back(),
              "WARNING\r\nHistory registration in progress.\r\nData will be lost.\r\nAre you sure "
              "to continue?");
    EXPECT_EQ(styles.back(), MB_ICONWARNING);
    EXPECT_EQ(recorder.MainCloseQuestion(), "WARNING\r\nHistory registration in progress.\r\nClosing "
                                            "application causes data lost.\r\nAre you sure to continue?");
    Record(1);
    yes = true;
    recorder.StartStop(meter, Tick(10), Days());
    yes = false;
    EXPECT_FALSE(recorder.ConfirmClose());
    EXPECT_EQ(asked.back(),
              "WARNING\r\nHistory log was changed.\r\nData will be lost.\r\nAre you sure to continue?");
    EXPECT_EQ(recorder.MainCloseQuestion().substr(0, 35), "WARNING\r\nHistory log was changed.\r\n");
}

TEST_F(HistRecorderTest, AveragingNoteWhenTheMeterAveragesLongerThanARecord) {
    meter.ConvCount = 6; // 960 ms
    recorder.SetAverField(0);
    EXPECT_EQ(settings.HistAverTime, 0);
    recorder.StartStop(meter, Tick(10), Days());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "NOTE\r\nMeter averaging time is longer\r\nthan history averaging time. [Always show "
                        "this note]");
    recorder.StartStop(meter, Tick(10), Days());
    recorder.SetAverField(1);
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_EQ(notes.size(), 1u) << "one second is longer than the meter's 960 ms";
    recorder.StartStop(meter, Tick(10), Days());
    recorder.SetAverField(0);
    keepChecked = false;
    recorder.StartStop(meter, Tick(10), Days());
    recorder.StartStop(meter, Tick(10), Days());
    recorder.StartStop(meter, Tick(10), Days());
    EXPECT_EQ(notes.size(), 2u) << "unticked, the note is not shown again";
}

TEST_F(HistRecorderTest, StoredAveragingTimeOutsideItsRangeFallsBackToOneSecond) {
    settings.HistAverTime = 5000;
    THistRecorder other(settings, checks, Prompts(), langEnglish, ',');
    EXPECT_EQ(other.AverField(), 1);
    settings.HistAverTime = 3600;
    EXPECT_EQ(THistRecorder(settings, checks, Prompts(), langEnglish, ',').AverField(), 3600);
}

// --- files ----------------------------------------------------------------------------

TEST_F(HistRecorderTest, SavingTwiceWhileRecordingAppendsOnlyTheNewRecords) {
    EXPECT_FALSE(recorder.Save(htHistory));
    EXPECT_TRUE(dialogs.empty()) << "an empty history is not saved";
    Record(3);
    EXPECT_EQ(recorder.SaveButtonText(), "Save as");
    savePath = folder / "day.dat";
    const std::string docs = settings.DirHistMeas;
    ASSERT_TRUE(recorder.Save(htHistory));
    EXPECT_EQ(dialogs, (std::vector<std::string>{"save 0 " + docs + " "}));
    EXPECT_EQ(recorder.Caption(), "K730 Measures history log:  day.dat");
    EXPECT_EQ(recorder.SaveButtonText(), "Save");
    EXPECT_FALSE(recorder.Unsaved());
    EXPECT_EQ(settings.DirHistMeas, Dir());
    const auto head = fs::file_size(*savePath) - 3 * HIST_SAMPLE_SIZE;

    Record(7);
    EXPECT_TRUE(recorder.Changed());
    const auto inode = [&] {
        struct stat st {};
        ::stat(savePath->c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    ASSERT_TRUE(recorder.Save(htHistory));
    EXPECT_EQ(dialogs.size(), 1u) << "the second save goes to the same file without a dialog";
    EXPECT_EQ(fs::file_size(*savePath), head + 7 * HIST_SAMPLE_SIZE);
    EXPECT_EQ(inode(), before) << "appended in place";
    EXPECT_EQ(recorder.Data().SavedCount, 7);

    recorder.CommentEdited("after the lamp change");
    EXPECT_TRUE(recorder.Unsaved());
    ASSERT_TRUE(recorder.Save(htHistory));
    THistData read;
    std::string comment;
    ASSERT_TRUE(ReadHistFile(*savePath, read, comment));
    EXPECT_EQ(comment, "after the lamp change") << "a changed comment rewrites from the head";
    EXPECT_EQ(read.Samples.size(), 7u);
}

TEST_F(HistRecorderTest, RecordsArrivingDuringALongSaveGoWithTheNextOne) {
    THistPrompts p = Prompts();
    int longRuns = 0;
    THistRecorder* self = nullptr;
    p.RunLong = [&](const std::function<void()>& work) {
        ++longRuns;
        work();
        // While the file was being written, the meter went on answering.
        if (self->Recording())
            for (int i = 0; i < 20; ++i)
                self->OnStatus(HistStatusFrame(3), meter, Tick(160), Days());
    };
    THistRecorder rec(settings, checks, p, langEnglish, ',');
    self = &rec;
    rec.StartStop(meter, Tick(10), Days());
    while (rec.Data().Samples.size() < 4)
        rec.OnStatus(HistStatusFrame(3), meter, Tick(160), Days());
    savePath = folder / "long.dat";
    ASSERT_TRUE(rec.Save(htHistory));
    EXPECT_EQ(longRuns, 1);
    EXPECT_EQ(rec.Data().SavedCount, 4) << "what the file holds, not what arrived meanwhile";
    EXPECT_GT(rec.Data().Samples.size(), 4u);
    EXPECT_TRUE(rec.Changed()) << "the records that came during the save are not saved yet";
    rec.StartStop(meter, Tick(10), Days());
    ASSERT_TRUE(rec.Save(htHistory));
    THistData read;
    std::string comment;
    ASSERT_TRUE(ReadHistFile(*savePath, read, comment));
    EXPECT_EQ(read.Samples, rec.Data().Samples);
}

TEST_F(HistRecorderTest, ExportOffersTheSpreadsheetOnlyWhenThereIsOne) {
    Record(2);
    savePath = folder / "out.txt";
    ASSERT_TRUE(recorder.Save(htText));
    EXPECT_TRUE(notes.empty()) << "without a spreadsheet program a successful export shows nothing";
    EXPECT_EQ(settings.DirHistMeasExport, Dir());

    std::vector<std::string> opened;
    THistPrompts p = Prompts();
    p.OpenSpreadsheet = [&](const std::string& path) { opened.push_back(path); };
    THistRecorder withSheet(settings, checks, p, langEnglish, ',');
    withSheet.StartStop(meter, Tick(10), Days());
    while (withSheet.Data().Samples.empty())
        withSheet.OnStatus(HistStatusFrame(1), meter, Tick(160), Days());
    ASSERT_TRUE(withSheet.Save(htText));
    EXPECT_EQ(notes.back(), "Data exported to file:\r\n" + *savePath + " [Open in MS Excel]");
    EXPECT_EQ(opened, (std::vector<std::string>{*savePath}));
    keepChecked = false;
    withSheet.OnStatus(HistStatusFrame(1), meter, Tick(2000), Days());
    ASSERT_TRUE(withSheet.Save(htText));
    EXPECT_EQ(opened.size(), 1u) << "unticked, the file is not opened";
}

TEST_F(HistRecorderTest, ExportPresetsFollowTheHistoryFile) {
    Record(1);
    savePath = folder / "lab.dat";
    ASSERT_TRUE(recorder.Save(htHistory));
    savePath = folder / "lab.csv";
    const std::string docs = settings.DirHistMeasExport;
    ASSERT_TRUE(recorder.Save(htCsv));
    EXPECT_EQ(dialogs.back(), "save 2 " + docs + " lab.csv");
    ASSERT_TRUE(recorder.Save(htCsv));
    EXPECT_EQ(dialogs.size(), 3u) << "a CSV export always asks where to";
    savePath = folder / "lab.txt";
    ASSERT_TRUE(recorder.Save(htText));
    EXPECT_EQ(dialogs.back(), "save 1 " + Dir() + " lab.txt");
}

TEST_F(HistRecorderTest, FailedWriteNamesTheFileAndKeepsTheHistoryUnsaved) {
    Record(2);
    savePath = folder / "taken";
    fs::create_directory(*savePath); // a folder of that name cannot be replaced by the file
    EXPECT_FALSE(recorder.Save(htHistory));
    EXPECT_EQ(messages, (std::vector<std::string>{"Error during writing file:\r\n" + *savePath +
                                                  "\r\nCheck if it is open by another application."}));
    EXPECT_TRUE(recorder.Unsaved());
    EXPECT_EQ(recorder.SaveButtonText(), "Save as");
}

TEST_F(HistRecorderTest, OpeningAFileThatDoesNotReadKeepsTheWindowsHistory) {
    Record(4);
    recorder.StartStop(meter, Tick(10), Days());
    savePath = folder / "good.dat";
    ASSERT_TRUE(recorder.Save(htHistory));
    test::WriteBytes(folder / "bad.dat", test::Text("K730 HISTORY ver. 1.17 "));
    openPath = folder / "bad.dat";
    EXPECT_FALSE(recorder.Open());
    EXPECT_EQ(messages, (std::vector<std::string>{"Reading history log was unsuccessful."}));
    EXPECT_EQ(recorder.Data().Samples.size(), 4u);

    recorder.Clear(Days());
    recorder.CommentEdited("unsaved");
    yes = false;
    openPath = folder / "good.dat";
    EXPECT_FALSE(recorder.Open()) << "the loss question comes first";
    yes = true;
    ASSERT_TRUE(recorder.Open());
    EXPECT_EQ(recorder.Data().Samples.size(), 4u);
    EXPECT_EQ(recorder.Comment(), "");
    EXPECT_FALSE(recorder.Unsaved());
    EXPECT_EQ(recorder.Caption(), "K730 Measures history log:  good.dat");
    EXPECT_EQ(recorder.Data().SavedCount, 0) << "the next save rewrites the file";
}

TEST_F(HistRecorderTest, OpeningStopsARecordingWithoutTheStopQuestion) {
    Record(2);
    savePath = folder / "a.dat";
    ASSERT_TRUE(recorder.Save(htHistory));
    openPath = *savePath;
    asked.clear();
    ASSERT_TRUE(recorder.Open());
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(asked.size(), 1u) << "only the loss question: " << asked.front();
}

} // namespace
} // namespace k730
