// Whole-file reads: only regular files, never more than the format can hold,
// and a reason for every refusal.
#include "files/CalLog.h"
#include "files/FileIo.h"
#include "files/TempFolder.h"
#include "files/TemplateLib.h"

#include <gtest/gtest.h>

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

TEST(ReadErrorTexts, NameTheReason) {
    EXPECT_STREQ(ReadErrorText(reMissing), "no such file");
    EXPECT_STREQ(ReadErrorText(reDenied), "permission denied");
    EXPECT_STREQ(ReadErrorText(reNotRegular), "not a regular file");
}

} // namespace
} // namespace k730
