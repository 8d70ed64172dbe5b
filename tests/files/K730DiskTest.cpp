#include "files/K730Disk.h"

#include "ui/ConfBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

// Font configuration keeps a cache for the life of the process; under the
// leak checker that is not ours to report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace k730 {
namespace {

namespace fs = std::filesystem;

constexpr const char* TEXT_FILTER = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

TEST(SaveName, FilterExtensionIsAppendedUnlessPresent) {
    EXPECT_EQ(FilterExtension(TEXT_FILTER, 1), "txt");
    EXPECT_EQ(FilterExtension(TEXT_FILTER, 2), "");
    EXPECT_EQ(FilterExtension("Sheets|*.csv;*.txt", 1), "csv");
    EXPECT_EQ(FilterExtension(TEXT_FILTER, 9), "");
    EXPECT_EQ(SaveFileNameFor("/d/report", TEXT_FILTER, 1), "/d/report.txt");
    EXPECT_EQ(SaveFileNameFor("/d/report.TXT", TEXT_FILTER, 1), "/d/report.TXT");
    EXPECT_EQ(SaveFileNameFor("/d/report.", TEXT_FILTER, 1), "/d/report.txt");
    EXPECT_EQ(SaveFileNameFor("/d/report", TEXT_FILTER, 2), "/d/report");
    EXPECT_EQ(SaveFileNameFor("/d/a.b/report", TEXT_FILTER, 1), "/d/a.b/report.txt"); // a point in a folder
    EXPECT_EQ(SaveFileNameFor("/d/.txt", TEXT_FILTER, 1), "");
    EXPECT_EQ(SaveFileNameFor("", TEXT_FILTER, 1), "");
    EXPECT_EQ(SaveFileNameFor("/d/x/../r", TEXT_FILTER, 2), "/d/r");
    EXPECT_TRUE(fs::path(SaveFileNameFor("r", TEXT_FILTER, 1)).is_absolute());
}

TEST(ShortenPath, KeepsTheRootAndTheTail) {
    EXPECT_EQ(ShortenWidth(0, 1000), 500);
    EXPECT_EQ(ShortenWidth(-4, 1000), 250);
    EXPECT_EQ(ShortenWidth(-25, 1000), 400);
    EXPECT_EQ(ShortenWidth(300, 1000), 300);
    auto upTo = [](size_t n) { return [n](std::string_view t) { return t.size() <= n; }; };
    EXPECT_EQ(ShortenPathToFit("C:\\Data\\K730\\history.txt", upTo(18)), "C:\\...\\history.txt");
    EXPECT_EQ(ShortenPathToFit("\\\\srv\\share\\file.txt", upTo(14)), "\\\\s...file.txt");
    EXPECT_EQ(ShortenPathToFit("/home/user/K730/history.txt", upTo(16)), "/.../history.txt");
    EXPECT_EQ(ShortenPathToFit("short", upTo(16)), "short");
    EXPECT_EQ(ShortenPathToFit("/abc", upTo(1)), "/...");
    // Characters go whole: "ż" is two bytes.
    EXPECT_EQ(ShortenPathToFit("/żżż/a", upTo(8)), "/...ż/a");
}

constexpr const char* MOUNTS = "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sr0 /media/cd\\040rom iso9660 ro 0 0\n"
                               "/dev/sr1 /media/dvd udf ro 0 0\n"
                               "tmpfs /media/dvdx tmpfs rw 0 0\n";

TEST(Drives, CdRomsComeFromTheMountTable) {
    EXPECT_EQ(MountFsType(MOUNTS, "/media/cd rom/x"), "iso9660");
    EXPECT_EQ(MountFsType(MOUNTS, "/media/dvdx/y"), "tmpfs");
    EXPECT_EQ(DriveTypeOf("/media/dvd", MOUNTS), dtCdRom);
    EXPECT_EQ(DriveTypeOf("/media/dvdx", MOUNTS), dtFixed);
    EXPECT_EQ(DriveTypeOf("/home", MOUNTS), dtFixed);
    EXPECT_TRUE(DriveUsable("/home", ""));
    EXPECT_FALSE(DriveUsable("", MOUNTS));
    EXPECT_EQ(DecideFolder("/media/dvd/k730-not-there", MOUNTS), fdCdRomMissing);
    EXPECT_EQ(DecideFolder("/", MOUNTS), fdExists);
    EXPECT_FALSE(EnsureFolderSilently("/media/dvd/new", MOUNTS));
    EXPECT_EQ(FillText(DISK_CANNOT_CREATE.en, {"/a", "directory"}),
              "File\r\n/a\r\ncannot be created, because directory\r\nwith the same name already exists.");
}

class DiskFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-disk-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& name, const std::string& content,
                      fs::perms perms = fs::perms(0644)) {
        const fs::path p = dir_ / name;
        std::ofstream(p) << content;
        fs::permissions(p, perms);
        return p.string();
    }
    fs::path dir_;
};

TEST_F(DiskFiles, TargetStatesAndAttributeWords) {
    EXPECT_EQ(TargetStateOf((dir_ / "none").string()).kind, TTargetState::tkNone);
    EXPECT_EQ(TargetStateOf(dir_.string() + "/").kind, TTargetState::tkFolder);
    const TTargetState plain = TargetStateOf(Write("a.txt", "x"));
    EXPECT_EQ(plain.kind, TTargetState::tkFile);
    EXPECT_EQ(AttributeListText(plain, langEnglish), "");
    const TTargetState ro = TargetStateOf(Write("b.txt", "x", fs::perms(0444)));
    EXPECT_EQ(AttributeListText(ro, langEnglish), "'read only'");
    const TTargetState both = TargetStateOf(Write(".c.txt", "x", fs::perms(0400)));
    EXPECT_EQ(AttributeListText(both, langEnglish), "'read only', 'hidden'");
    EXPECT_EQ(AttributeListText(both, langPolish), "'tylko do odczytu', 'ukryty'");
    EXPECT_EQ(AttributeListText(TargetStateOf("/dev/null"), langEnglish), "'system'");
    fs::create_symlink(dir_ / "missing", dir_ / "link");
    EXPECT_TRUE(FileExistsAny((dir_ / "link").string()));
    EXPECT_EQ(TargetStateOf((dir_ / "link").string()).kind, TTargetState::tkFile);
}

TEST_F(DiskFiles, FoldersCopiesAndTimeStamps) {
    const std::string deep = (dir_ / "a" / "b" / "c").string() + "//";
    EXPECT_FALSE(FolderExists(deep));
    EXPECT_TRUE(EnsureFolderSilently(deep, ""));
    EXPECT_TRUE(FolderExists(deep));

    const std::string source = Write("src.dat", "new");
    const std::string target = Write("dst.dat", "old", fs::perms(0444));
    EXPECT_TRUE(CopyFileOver(source, target, ""));
    std::ifstream in(target);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "new");
    EXPECT_TRUE(CopyFileOver(source, (dir_ / "x" / "y.dat").string(), "")); // folder made on the way
    EXPECT_FALSE(CopyFileOver(source, dir_.string() + "/", ""));
    EXPECT_FALSE(CopyFileOver((dir_ / "none").string(), target, ""));

    const TFileTime stamp = std::chrono::system_clock::from_time_t(1600000000);
    EXPECT_TRUE(SetFileDateTime(source, 2, stamp));
    EXPECT_TRUE(SetFileDateTime(source, 7, stamp)); // clamped to last write
    EXPECT_TRUE(SetFileDateTime(source, 1, stamp + std::chrono::seconds(5)));
    EXPECT_FALSE(SetFileDateTime(source, 0, stamp));
    TFileTime got;
    ASSERT_TRUE(GetFileDateTime(source, 2, got));
    EXPECT_EQ(got, stamp);
    ASSERT_TRUE(GetFileDateTime(source, 1, got));
    EXPECT_EQ(got, stamp + std::chrono::seconds(5));
    const auto before = std::chrono::system_clock::now();
    EXPECT_FALSE(GetFileDateTime((dir_ / "none").string(), 2, got));
    EXPECT_GE(got, before);
}

// The Qt side: the questions the helpers ask.
void EnsureApp() {
    static int argc = 1;
    static char name[] = "k730_test_files_disk";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
}

// Answers the next confirmation dialog with `button` and keeps its text.
void Answer(const char* button, QString* text) {
    auto* timer = new QTimer;
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
        auto* form = qobject_cast<TConfirmForm*>(QApplication::activeModalWidget());
        if (!form || !form->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        *text = form->findChild<QLabel*>("LabelTxt")->text();
        form->findChild<QPushButton*>(button)->click();
    });
    timer->start();
}

class DiskDialogs : public DiskFiles {
protected:
    void SetUp() override {
        EnsureApp();
        ConfSetLanguage(langEnglish);
        DiskFiles::SetUp();
    }
};

TEST_F(DiskDialogs, CheckTargetFileRefusesFoldersAndAsksForAttributes) {
    QString text;
    EXPECT_TRUE(CheckTargetFile(nullptr, QString::fromStdString((dir_ / "new.txt").string()), "K730"));
    Answer("BtnYes", &text);
    EXPECT_FALSE(CheckTargetFile(nullptr, QString::fromStdString(dir_.string()), "K730"));
    EXPECT_TRUE(text.contains("cannot be created, because directory\nwith the same name already exists."));
    const QString hidden = QString::fromStdString(Write(".ro.txt", "x", fs::perms(0444)));
    Answer("BtnNo", &text);
    EXPECT_FALSE(CheckTargetFile(nullptr, hidden, "K730"));
    EXPECT_TRUE(text.contains("has attributes 'read only', 'hidden'\nSave anyway?"));
    Answer("BtnYes", &text);
    EXPECT_TRUE(CheckTargetFile(nullptr, hidden, "K730", langPolish)); // the viewer's Polish-only copy
    EXPECT_TRUE(text.contains("posiada atrybut 'tylko do odczytu', 'ukryty'"));
}

TEST_F(DiskDialogs, SaveTargetAndFolderQuestions) {
    const QString existing = QString::fromStdString(Write("h.txt", "x"));
    QString text;
    Answer("BtnNo", &text);
    EXPECT_FALSE(AcceptSaveTarget(existing));
    EXPECT_TRUE(text.endsWith("already exists.\nOverwrite?"));
    Answer("BtnYes", &text);
    EXPECT_TRUE(AcceptSaveTarget(existing));
    EXPECT_FALSE(AcceptSaveTarget(""));

    const QString folder = QString::fromStdString((dir_ / "new" / "deeper").string());
    Answer("BtnNo", &text);
    EXPECT_FALSE(EnsureFolder(folder, true));
    EXPECT_TRUE(text.startsWith("Directory\n"));
    EXPECT_FALSE(FolderExists(folder.toStdString()));
    Answer("BtnYes", &text);
    EXPECT_TRUE(EnsureFolder(folder, true));
    EXPECT_TRUE(FolderExists(folder.toStdString()));
}

TEST_F(DiskDialogs, FoldersEndWithADelimiter) {
    EXPECT_TRUE(DocumentsFolder().endsWith('/'));
    EXPECT_TRUE(DataFolder().endsWith("/K730/"));
    EXPECT_GT(CheckBoxGlyphWidth(), 3);
    const QString longPath = "/home/user/" + QString(300, 'x') + "/K730_CAL.dat";
    const QString shown = ShortenPath(longPath, nullptr, 200);
    EXPECT_TRUE(shown.startsWith("/..."));
    EXPECT_TRUE(shown.endsWith("/K730_CAL.dat"));
    EXPECT_LE(TextWidth(QApplication::font(), shown), 200);
}

} // namespace
} // namespace k730
