// The results-file announcement: its datagram layout, and delivery to every
// listener in the folder without ever blocking on one that does not read.
#include "service/ResultAnnouncement.h"

#include "files/TempFolder.h"
#include "service/AnnouncementListener.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace k730 {
namespace {

using TListener = test::TAnnouncementListener;

TEST(ResultAnnouncement, DatagramCarriesMessageAndBlockFields) {
    const TBytes d = ResultAnnouncementDatagram("/home/a/wyniki.txt", RESULT_FROM_DAC);
    ASSERT_EQ(d.size(), 72u + 18u);
    EXPECT_EQ(std::string(d.begin(), d.begin() + 31), "MERIDOX_SHARE_MSG_K730TODIV4020");
    EXPECT_EQ(d[31], 0);
    EXPECT_EQ(d[32], 18) << "wParam: the name's length in bytes";
    EXPECT_EQ(d[36], 1) << "lParam";
    EXPECT_EQ(std::string(d.begin() + 40, d.begin() + 71), "MERIDOX_SHARE_BUF_K730TODIV4020");
    EXPECT_EQ(std::string(d.begin() + 72, d.end()), "/home/a/wyniki.txt") << "no terminating zero";
    const auto back = ParseResultAnnouncement(d);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fileName, "/home/a/wyniki.txt");
    TBytes cut = d;
    cut.pop_back();
    EXPECT_FALSE(ParseResultAnnouncement(cut)) << "the length must match wParam";
    EXPECT_FALSE(ParseResultAnnouncement(TBytes(10, 0)));
}

TEST(ResultAnnouncement, ReachesEveryListenerAndNeverWaitsForOne) {
    test::TTempFolder dir;
    const std::string folder = dir / "share";
    ::setenv("K730_SHARE_DIR", folder.c_str(), 1);
    EXPECT_EQ(AnnounceResultFile("a.txt", 0), 0) << "nobody listens: nothing fails";
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    TListener first(folder + "/first.sock");
    TListener second(folder + "/second.sock");
    ASSERT_TRUE(first.Bound() && second.Bound());
    {
        TListener gone(folder + "/gone.sock"); // closed: a stale socket is skipped
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(AnnounceResultFile("wyniki.txt", 0), 2);
    for (int i = 0; i < 3; ++i) {
        const auto d = first.Take();
        ASSERT_TRUE(d);
        EXPECT_EQ(ParseResultAnnouncement(*d)->fileName, "wyniki.txt");
    }
    // A listener that never reads fills its queue; sending goes on at once.
    for (int i = 0; i < 2000; ++i)
        AnnounceResultFile("wyniki.txt", 0);
    EXPECT_TRUE(second.Take());
    ::unsetenv("K730_SHARE_DIR");
}

} // namespace
} // namespace k730
