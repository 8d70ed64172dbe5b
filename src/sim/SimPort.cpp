#include "sim/SimPort.h"

#include "comm/LinuxBaud.h"

#include "comm/VirtualPorts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace k730::sim {

namespace {

speed_t SpeedCode(int baud) {
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B9600;
    }
}

// Raw mode with the meter's settings, so nothing the tty does changes the bytes.
bool SetRaw(int fd, const TLineSettings& line) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
    tio.c_cflag &= ~CMSPAR;
#endif
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[std::clamp(line.dataBits, 5, 8) - 5] | CLOCAL | CREAD;
    if (line.parity != TParity::paNone) tio.c_cflag |= PARENB;
    if (line.parity == TParity::paOdd || line.parity == TParity::paMark) tio.c_cflag |= PARODD;
#ifdef CMSPAR
    if (line.parity == TParity::paMark || line.parity == TParity::paSpace) tio.c_cflag |= CMSPAR;
#endif
    if (line.stopHalves > 2) tio.c_cflag |= CSTOPB;
    cfsetispeed(&tio, SpeedCode(line.baud));
    cfsetospeed(&tio, SpeedCode(line.baud));
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

bool TSimPort::OpenPty(const std::string& name, const TLineSettings& line, std::string& error) {
    Close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        error = Errno("posix_openpt");
        return false;
    }
    char path[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0) {
        error = Errno("pseudo-terminal");
        ::close(master);
        return false;
    }
    const int slave = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0 || !SetRaw(slave, line)) {
        error = Errno(path);
        if (slave >= 0) ::close(slave);
        ::close(master);
        return false;
    }
    if (!RegisterVirtualPort(name, path, error)) {
        ::close(slave);
        ::close(master);
        return false;
    }
    fd_ = master;
    slaveFd_ = slave;
    device_ = path;
    linkName_ = name;
    line_ = line;
    return true;
}

bool TSimPort::OpenTty(const std::string& path, const TLineSettings& line, std::string& error) {
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = Errno(path);
        return false;
    }
    if (isatty(fd) && !SetRaw(fd, line)) {
        error = Errno(path);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    device_ = path;
    line_ = line;
    return true;
}

void TSimPort::Close() {
    if (!linkName_.empty()) UnregisterVirtualPort(linkName_);
    linkName_.clear();
    if (slaveFd_ >= 0) ::close(slaveFd_);
    if (fd_ >= 0) ::close(fd_);
    slaveFd_ = fd_ = -1;
    unwritten_.clear();
}

TBytes TSimPort::Read() {
    TBytes bytes;
    if (fd_ < 0) return bytes;
    uint8_t chunk[512];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0) break; // EAGAIN: nothing more now; EIO: nobody has the port open
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

void TSimPort::Write(const TBytes& bytes) {
    unwritten_.insert(unwritten_.end(), bytes.begin(), bytes.end());
    if (fd_ < 0 || unwritten_.empty()) return;
    const ssize_t n = ::write(fd_, unwritten_.data(), unwritten_.size());
    if (n > 0) unwritten_.erase(unwritten_.begin(), unwritten_.begin() + n);
}

TLineSettings TSimPort::ProgramLine() const {
    if (slaveFd_ < 0) return line_;
    termios tio{};
    if (tcgetattr(slaveFd_, &tio) != 0) return line_;
    TLineSettings line = LineFromTermios(tio);
    // A program may set any rate as an explicit number (BOTHER), which the
    // classic speed constants cannot express: take the number when there is one.
    if (uint32_t rate = 0; GetLinuxBaud(slaveFd_, rate) && rate != 0) line.baud = static_cast<int>(rate);
    return line;
}

} // namespace k730::sim
