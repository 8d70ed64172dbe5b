// The device behind a refused port on Linux: its group and mode, and this
// user's groups now and as the group file lists them.
#include "comm/PortAccess.h"

#include "comm/PortList.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace k730 {

namespace {

bool ProcessHasGroup(gid_t gid) {
    if (getegid() == gid) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool ListedMember(const group& g) {
    const passwd* user = getpwuid(getuid());
    if (!user || !g.gr_mem) return false;
    for (char** member = g.gr_mem; *member; ++member)
        if (std::string(*member) == user->pw_name) return true;
    return user->pw_gid == g.gr_gid;
}

} // namespace

std::optional<TPortAccessFacts> ExaminePortAccess(const std::string& port) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::canonical(PortDevicePath(port), ec);
    if (ec) return std::nullopt;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    TPortAccessFacts facts;
    facts.port = port;
    facts.device = path.string();
    facts.groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    facts.inGroupNow = ProcessHasGroup(info.st_gid);
    facts.userMayOpen = access(path.c_str(), R_OK | W_OK) == 0;
    if (const group* g = getgrgid(info.st_gid)) {
        facts.group = g->gr_name;
        facts.memberNextLogin = !facts.inGroupNow && ListedMember(*g);
    }
    return facts;
}

} // namespace k730
