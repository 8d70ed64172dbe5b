#include "files/ResultFile.h"

#include "files/FileIo.h"
#include "files/FileTexts.h"
#include "main/Cp1250.h"
#include "main/K730Fun.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k730 {
namespace {

std::string WithDecimal(std::string text, char decimal) {
    for (char& c : text)
        if (c == '.') c = decimal;
    return text;
}

std::string Printf(const char* format, double v) {
    char text[128];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string Hex8(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

bool WriteText(int fd, const std::string& bytes) {
    return k730::WriteAll(fd, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

const std::string& HeaderBytes() {
    static const std::string header = Utf8ToCp1250(RESULT_HEADER);
    return header;
}

bool AppendToOpen(int fd, const std::string& line, bool created) {
    if (::flock(fd, LOCK_EX) != 0) return false;
    if (!created) {
        uint8_t head[256];
        const ssize_t got = ::pread(fd, head, HeaderBytes().size(), 0);
        if (got < 0 || !StartsWithResultHeader(std::span(head, static_cast<size_t>(got)))) return false;
    } else if (!WriteText(fd, HeaderBytes())) {
        return false;
    }
    return ::lseek(fd, 0, SEEK_END) >= 0 && WriteText(fd, line) && ::fsync(fd) == 0;
}

} // namespace

bool StartsWithResultHeader(std::span<const uint8_t> head) {
    const std::string& header = HeaderBytes();
    return head.size() >= header.size() &&
           std::equal(header.begin(), header.end(), head.begin(),
                      [](char h, uint8_t b) { return static_cast<uint8_t>(h) == b; });
}

std::string FormatResultLine(const TResultLineValues& v, char decimal) {
    const double scale = v.KE * v.FullScale / 16777215.0;
    const std::string e8 = "%.7E";
    std::string line = filetext::Fixed(TempCodeToCelsius(v.TempCode), 15, 1, decimal) + "\t";
    line += WithDecimal(Printf("%.4G", v.FullScale), decimal) + "\t";
    for (double x : {v.DarkAdc * scale, v.SystemZeroAdc * scale, v.AdcAverage * scale, v.ResultAverage})
        line += WithDecimal(Printf(e8.c_str(), x), decimal) + "\t";
    line += Hex8(v.Dac0) + "\t" + Hex8(v.Dac) + "\t";
    const double current = (static_cast<double>(v.Dac) - static_cast<double>(v.Dac0)) / 4096.0 + 4.0;
    return line + filetext::Fixed(current, 15, 6, decimal) + "\r\n";
}

bool AppendResultLine(const std::string& path, const std::string& line) {
    if (!EnsureFolderOf(path)) return false;
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode)) return false; // lines go into a file only
    if (existed) SetWritable(path);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    bool ok = false;
    if (fd >= 0) {
        ok = AppendToOpen(fd, Utf8ToCp1250(line), !existed);
        ::close(fd);
    }
    if (existed) ::chmod(path.c_str(), st.st_mode & 07777);
    return ok;
}

} // namespace k730
