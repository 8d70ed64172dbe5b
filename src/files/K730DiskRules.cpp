// File-saving rules on the standard library and POSIX calls.
#include "files/K730DiskRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <system_error>

namespace k730 {

namespace fs = std::filesystem;

std::string FillText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The file-name part of a path (after the last '/').
std::string_view NamePart(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Extension of a file name without its point; empty when it has none.
std::string_view ExtensionOf(std::string_view name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view WithoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

std::string Absolute(std::string_view path) {
    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(std::string(path)), ec);
    return ec ? std::string(path) : full.lexically_normal().string();
}

} // namespace

std::string FilterExtension(std::string_view filter, int filterIndex) {
    size_t pos = 0;
    for (int skip = 2 * (std::max(filterIndex, 1) - 1); skip > 0; --skip) {
        pos = filter.find('|', pos);
        if (pos == std::string_view::npos) return {};
        ++pos;
    }
    const size_t start = filter.find('|', pos);
    if (start == std::string_view::npos) return {};
    std::string_view pattern = filter.substr(start + 1);
    pattern = pattern.substr(0, pattern.find('|'));
    pattern = pattern.substr(0, pattern.find(';'));
    const size_t dot = pattern.find_last_of('.');
    std::string_view ext = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot);
    while (!ext.empty() && (ext.front() == '*' || ext.front() == '.'))
        ext.remove_prefix(1);
    return std::string(ext);
}

std::string SaveFileNameFor(std::string_view name, std::string_view filter, int filterIndex) {
    const std::string_view file = NamePart(name);
    const size_t dot = file.find_last_of('.');
    if (file.substr(0, dot).empty()) return {};
    std::string result(name);
    if (result.back() == '.') result.pop_back();
    const std::string ext = FilterExtension(filter, filterIndex);
    if (!ext.empty() && Lower(ext) != Lower(ExtensionOf(NamePart(result)))) result += "." + ext;
    return Absolute(result);
}

int ShortenWidth(int width, int workAreaWidth) {
    if (width == 0) width = -2;
    if (width > 0) return width;
    const int n = -width;
    if (n <= 10) return workAreaWidth / n;
    return static_cast<int>(std::lround(static_cast<double>(workAreaWidth) / n * 10));
}

size_t ShortenInsertPoint(std::string_view path) {
    const size_t drive = path.find(":\\");
    if (drive != std::string_view::npos) return drive + 2;
    if (path.starts_with("\\\\")) return 3;
    if (path.starts_with("/")) return 1;
    return 0;
}

std::string ShortenPathToFit(std::string_view path, const std::function<bool(std::string_view)>& fits) {
    if (fits(path)) return std::string(path);
    const size_t at = std::min(ShortenInsertPoint(path), path.size());
    std::string text = std::string(path.substr(0, at)) + "..." + std::string(path.substr(at));
    const size_t tail = at + 3;
    while (text.size() > tail && !fits(text)) {
        size_t end = tail + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        text.erase(tail, end - tail);
    }
    return text;
}

namespace {

// Mount points write space, tab, newline and backslash as three octal digits.
std::string UnescapeMountPoint(std::string_view field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool Contains(std::string_view mountPoint, std::string_view path) {
    if (mountPoint == "/") return true;
    return path == mountPoint || (path.starts_with(mountPoint) && path[mountPoint.size()] == '/');
}

} // namespace

std::string MountFsType(std::string_view mountsText, std::string_view absolutePath) {
    std::istringstream lines{std::string(mountsText)};
    std::string line, best, bestType;
    bool found = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type)) continue;
        point = UnescapeMountPoint(point);
        if (Contains(point, absolutePath) && (!found || point.size() >= best.size())) {
            best = point;
            bestType = type;
            found = true;
        }
    }
    return bestType;
}

std::string ReadMountTable() {
    std::ifstream in("/proc/self/mounts");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TDriveType DriveTypeOf(std::string_view path, std::string_view mountsText) {
    if (path.empty()) return dtNoRootDir;
    const std::string type = MountFsType(mountsText, Absolute(path));
    if (type == "iso9660" || type == "udf") return dtCdRom;
    return dtFixed; // no table at all still leaves the root usable
}

bool DriveUsable(std::string_view path, std::string_view mountsText) {
    const TDriveType type = DriveTypeOf(path, mountsText);
    return type != dtUnknown && type != dtNoRootDir;
}

bool FileExistsAny(std::string_view path) {
    std::error_code ec;
    return !path.empty() && fs::symlink_status(std::string(path), ec).type() != fs::file_type::not_found &&
           !ec;
}

bool FolderExists(std::string_view path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(std::string(WithoutTrailingSlashes(path)), ec);
}

TTargetState TargetStateOf(std::string_view path) {
    TTargetState state;
    if (!FileExistsAny(path)) return state;
    std::error_code ec;
    const fs::file_status status = fs::status(std::string(path), ec); // through links
    if (status.type() == fs::file_type::directory) {
        state.kind = TTargetState::tkFolder;
        return state;
    }
    state.kind = TTargetState::tkFile;
    state.hidden = NamePart(WithoutTrailingSlashes(path)).starts_with('.');
    if (status.type() == fs::file_type::not_found)
        return state; // a dangling link: writing creates its target
    constexpr fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    state.readOnly = (status.permissions() & writable) == fs::perms::none;
    state.system = status.type() != fs::file_type::regular;
    return state;
}

std::string AttributeListText(const TTargetState& state, int lang) {
    std::string text;
    auto add = [&](bool on, const TText& word) {
        if (!on) return;
        if (!text.empty()) text += ", ";
        text += word(lang);
    };
    add(state.readOnly, DISK_ATTR_READ_ONLY);
    add(state.hidden, DISK_ATTR_HIDDEN);
    add(state.system, DISK_ATTR_SYSTEM);
    return text;
}

TFolderDecision DecideFolder(std::string_view folder, std::string_view mountsText) {
    if (!DriveUsable(folder, mountsText)) return fdDriveMissing;
    const bool exists = FolderExists(folder);
    if (DriveTypeOf(folder, mountsText) == dtCdRom) return exists ? fdCdRomExisting : fdCdRomMissing;
    return exists ? fdExists : fdCreate;
}

bool CreateFolderChain(std::string_view folder) {
    std::error_code ec;
    fs::create_directories(std::string(WithoutTrailingSlashes(folder)), ec);
    return FolderExists(folder);
}

bool EnsureFolderSilently(std::string_view folder, std::string_view mountsText) {
    switch (DecideFolder(folder, mountsText)) {
    case fdExists:
        return true;
    case fdCreate:
        return CreateFolderChain(folder);
    default:
        return false;
    }
}

bool CopyFileOver(std::string_view source, std::string_view target, std::string_view mountsText) {
    const std::string_view name = NamePart(target);
    if (name.empty()) return false;
    const std::string folder = fs::path(Absolute(target)).parent_path().string();
    EnsureFolderSilently(folder, mountsText);
    std::error_code ec;
    if (!fs::is_regular_file(std::string(source), ec)) return false;
    if (fs::exists(std::string(target), ec))
        fs::permissions(std::string(target), fs::perms::owner_write, fs::perm_options::add, ec);
    return fs::copy_file(std::string(source), std::string(target), fs::copy_options::overwrite_existing,
                         ec) &&
           !ec;
}

namespace {

TFileTime FromTimespec(const struct timespec& t) {
    return TFileTime(std::chrono::duration_cast<TFileTime::duration>(std::chrono::seconds(t.tv_sec) +
                                                                     std::chrono::nanoseconds(t.tv_nsec)));
}

struct timespec ToTimespec(TFileTime value) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(value.time_since_epoch()).count();
    struct timespec t;
    t.tv_sec = static_cast<time_t>(ns / 1000000000);
    t.tv_nsec = static_cast<long>(ns % 1000000000);
    if (t.tv_nsec < 0) {
        t.tv_nsec += 1000000000;
        --t.tv_sec;
    }
    return t;
}

} // namespace

bool GetFileDateTime(std::string_view path, int which, TFileTime& out) {
    which = std::clamp(which, 0, 2);
    struct statx sx;
    if (statx(AT_FDCWD, std::string(path).c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        out = std::chrono::system_clock::now();
        return false;
    }
    auto convert = [](const struct statx_timestamp& t) {
        return FromTimespec({static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
    };
    if (which == 0 && (sx.stx_mask & STATX_BTIME))
        out = convert(sx.stx_btime);
    else if (which == 1)
        out = convert(sx.stx_atime);
    else
        out = convert(sx.stx_mtime);
    return true;
}

bool SetFileDateTime(std::string_view path, int which, TFileTime value) {
    which = std::clamp(which, 0, 2);
    if (which == 0) return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    times[which == 1 ? 0 : 1] = ToTimespec(value);
    return utimensat(AT_FDCWD, std::string(path).c_str(), times, 0) == 0;
}

} // namespace k730
