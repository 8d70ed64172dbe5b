// Whole-file reads and writes: only regular files, never more than the format
// can hold, and a reason for every refusal.
#include "files/CalLog.h"
#include "files/FileIo.h"
#include "files/TempFolder.h"
#include "files/TemplateLib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace k730 {
namespace {

class ReadWholeFileTest : public ::testing::Test {
protected:
    test::TTempFolder dir;
};

TEST_F(ReadWholeFileTest, ReadsARegularFileWithinItsLimit) {
    test::WriteBytes(dir / "f", test::Text("abcd"));
    TReadError why = reFailed;
    EXPECT_EQ(ReadWholeFile(dir / "f", 4, &why), test::Text("abcd"));
    EXPECT_EQ(why, reNone);
    EXPECT_FALSE(ReadWholeFile(dir / "f", 3, &why));
    EXPECT_EQ(why, reTooLarge);
    EXPECT_FALSE(ReadWholeFile(dir / "none", 100, &why));
    EXPECT_EQ(why, reMissing);
    EXPECT_FALSE(ReadWholeFile(dir / "f/below", 100, &why));
    EXPECT_EQ(why, reMissing);
}

// A FIFO without a writer would block a plain open for ever; a device that never
// ends would fill the memory. Both are refused at once, as is a folder.
TEST_F(ReadWholeFileTest, RefusesWhatIsNotARegularFileWithoutWaiting) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string& path : {dir / "fifo", std::string("/dev/zero"), dir / ""}) {
        TReadError why = reNone;
        EXPECT_FALSE(ReadWholeFile(path, size_t{1} << 30, &why)) << path;
        EXPECT_EQ(why, reNotRegular) << path;
    }
    // The file readers report it as the reason, and nothing was read.
    const TCalLogRead log = ReadCalLog("/dev/zero");
    EXPECT_FALSE(log.valid);
    EXPECT_EQ(log.error, "not a regular file");
    EXPECT_FALSE(IsTemplateFile(dir / "fifo"));
}

// A replacing write never removes anything but the regular file it replaces:
// a folder or a dangling link keeps its name, and a link keeps pointing at the
// file that receives the bytes.
TEST_F(ReadWholeFileTest, WritesReplaceOnlyARegularFile) {
    const std::string folder = dir / "out";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(WriteFileAtomic(folder, test::Text("x"), false));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_STREQ(ResolveWriteTarget(folder).problem, "a folder");

    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    EXPECT_FALSE(WriteFileAtomic(dir / "dangling", test::Text("x"), false));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling"));
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));

    test::WriteBytes(dir / "real", test::Text("old"));
    std::filesystem::create_symlink(dir / "real", dir / "link");
    EXPECT_TRUE(WriteFileAtomic(dir / "link", test::Text("new"), false));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_EQ(test::ReadBytes(dir / "real"), test::Text("new"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""), {}), 4); // no temporary left
}

TEST(ReadErrorTexts, NameTheReason) {
    EXPECT_STREQ(ReadErrorText(reMissing), "no such file");
    EXPECT_STREQ(ReadErrorText(reDenied), "permission denied");
    EXPECT_STREQ(ReadErrorText(reNotRegular), "not a regular file");
}

} // namespace
} // namespace k730
