// "Access denied" explained: the device's group, what the user can do, told
// once per port and run.
#include "PtyFixture.h"

#include "comm/PortAccess.h"
#include "comm/VirtualPorts.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace k730::test {
namespace {

TPortAccessFacts Facts(bool inGroupNow = false, bool memberNextLogin = false, bool groupMayUse = true) {
    TPortAccessFacts f;
    f.port = "ttyUSB0";
    f.device = "/dev/ttyUSB0";
    f.group = "dialout";
    f.inGroupNow = inGroupNow;
    f.memberNextLogin = memberNextLogin;
    f.groupMayUse = groupMayUse;
    return f;
}

TEST(PortAccessText, NamesTheGroupAndWhatToDoInBothLanguages) {
    EXPECT_EQ(PortAccessText(Facts(), langEnglish),
              "Access to port ttyUSB0 (/dev/ttyUSB0) was denied.\r\n"
              "The device belongs to the group \"dialout\"; members of that group have access to it.\r\n"
              "Ask the administrator to add your user to the group \"dialout\"\r\n"
              "(for example: sudo usermod -aG dialout $USER), then log out and log in again.");
    const std::string polish = PortAccessText(Facts(), langPolish);
    EXPECT_EQ(polish.rfind("Odmowa dostępu do portu ttyUSB0 (/dev/ttyUSB0).\r\n", 0), 0u) << polish;
    EXPECT_NE(polish.find("grupy \"dialout\""), std::string::npos);
    EXPECT_NE(polish.find("wyloguj się i zaloguj ponownie"), std::string::npos);
    EXPECT_EQ(PortAccessHint(Facts()).find('\r'), std::string::npos) << "one line for the tool";
}

TEST(PortAccessText, AJoinedGroupNeedsANewLoginAndAGroupWithoutRightsNeedsTheAdministrator) {
    EXPECT_NE(PortAccessText(Facts(false, true), langEnglish).find("joined since you logged in"),
              std::string::npos);
    EXPECT_NE(PortAccessText(Facts(true), langEnglish).find("may not use it either"), std::string::npos);
    EXPECT_NE(PortAccessText(Facts(false, false, false), langEnglish).find("read and write access"),
              std::string::npos);
    TPortAccessFacts unknown = Facts();
    unknown.group.clear();
    EXPECT_NE(PortAccessText(unknown, langEnglish).find("Ask the administrator for read and write access"),
              std::string::npos);
}

// The device behind a virtual port's link is examined, not the link.
TEST_F(CommTest, ExaminesTheDeviceBehindAVirtualPort) {
    const std::string device = (folder / "device").string();
    std::ofstream(device) << "";
    const group* dialout = getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : 20;
    ASSERT_EQ(chown(device.c_str(), static_cast<uid_t>(-1), gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
    std::string error;
    ASSERT_TRUE(RegisterVirtualPort("SIM5", device, error)) << error;
    const auto facts = ExaminePortAccess("SIM5");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->device, std::filesystem::canonical(device).string());
    if (const group* g = getgrgid(gid)) {
        EXPECT_EQ(facts->group, g->gr_name);
    }
    EXPECT_TRUE(facts->groupMayUse);
    ASSERT_EQ(chmod(device.c_str(), 0600), 0);
    EXPECT_FALSE(ExaminePortAccess("SIM5")->groupMayUse);
    EXPECT_FALSE(ExaminePortAccess("NOSUCHPORT"));
}

TEST(PortAccessNotices, EachPortIsExplainedOncePerRun) {
    TPortAccessNotices notices;
    EXPECT_TRUE(notices.FirstRefusal("ttyUSB0", langEnglish));
    EXPECT_FALSE(notices.FirstRefusal("ttyUSB0", langEnglish));
    EXPECT_TRUE(notices.FirstRefusal("ttyUSB1", langEnglish));
}

} // namespace
} // namespace k730::test
