#include "comm/SerialPortPosix.h"

#include "comm/LinuxBaud.h"
#include "comm/PortList.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace k730 {

namespace {

// An open refused with "access denied" is tried again for this long: a port
// that another program is just closing becomes free within it.
constexpr auto ACCESS_RETRY = std::chrono::milliseconds(200);
constexpr auto ACCESS_RETRY_STEP = std::chrono::milliseconds(10);

TPortOpenResult MapOpenError(int error) {
    switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
        return TPortOpenResult::busy;
    case EACCES:
    case EPERM:
        return TPortOpenResult::accessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return TPortOpenResult::notFound;
    default:
        return TPortOpenResult::failed;
    }
}

bool CharacterBits(TDataBits bits, tcflag_t& size) {
    constexpr std::array<tcflag_t, 5> SIZES = {0, CS5, CS6, CS7, CS8};
    if (bits == dbFour || bits > dbEight) return false; // no tty does 4 data bits
    size = SIZES[bits];
    return true;
}

tcflag_t ParityFlags(TParityBit parity) {
    switch (parity) {
    case pbOdd:
        return PARENB | PARODD;
    case pbEven:
        return PARENB;
    case pbMark:
        return PARENB | CMSPAR | PARODD;
    case pbSpace:
        return PARENB | CMSPAR;
    case pbNone:
        break;
    }
    return 0;
}

constexpr tcflag_t CHECKED_FLAGS = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

// The termios control flags the configuration asks for; false when no tty can do it.
bool ControlFlags(const TPortConfig& config, tcflag_t& flags) {
    tcflag_t size = 0;
    if (!CharacterBits(config.line.dataBits, size)) return false;
    if (config.line.stopBits == sbOnePointFive) return false;
    flags = size | ParityFlags(config.line.parity) | (config.line.stopBits == sbTwo ? CSTOPB : 0);
    if (config.flowRtsCts || config.rtsCtrlHandshake) flags |= CRTSCTS;
    return true;
}

void AskLowLatency(int fd) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return; // ptys and some drivers have no such thing
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
}

bool RaiseRtsOnSend(int fd) {
    serial_rs485 rs485{};
    rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    return ioctl(fd, TIOCSRS485, &rs485) == 0;
}

} // namespace

std::unique_ptr<TSerialPort> CreateSerialPort() {
    return std::make_unique<TSerialPortPosix>();
}

TSerialPortPosix::~TSerialPortPosix() {
    Close();
}

TPortOpenResult TSerialPortPosix::Open(const std::string& portName) {
    if (IsOpen()) return TPortOpenResult::failed;
    const std::string path = PortDevicePath(portName);
    const auto giveUp = std::chrono::steady_clock::now() + ACCESS_RETRY;
    TPortOpenResult result = OpenDevice(path);
    while (result == TPortOpenResult::accessDenied && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(ACCESS_RETRY_STEP);
        result = OpenDevice(path);
    }
    if (result != TPortOpenResult::ok) Close();
    return result;
}

TPortOpenResult TSerialPortPosix::OpenDevice(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return MapOpenError(errno);
    if (!isatty(fd_)) {
        Close();
        return TPortOpenResult::failed;
    }
    // TIOCEXCL keeps other users' programs out; the lock also keeps out our own
    // (and root's, which TIOCEXCL lets through).
    ioctl(fd_, TIOCEXCL);
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Close();
        return error == EWOULDBLOCK ? TPortOpenResult::busy : TPortOpenResult::failed;
    }
    AskLowLatency(fd_);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        Close();
        return TPortOpenResult::failed;
    }
    return TPortOpenResult::ok;
}

void TSerialPortPosix::Close() {
    for (int* fd : {&fd_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    marks_.Reset();
}

bool TSerialPortPosix::Configure(const TPortConfig& config) {
    termios tio{};
    tcflag_t control = 0;
    if (!IsOpen() || tcgetattr(fd_, &tio) != 0 || !ControlFlags(config, control)) return false;
    cfmakeraw(&tio);
    // Breaks and framing or parity errors come marked in the data (see TLineMarks).
    tio.c_iflag |= INPCK | PARMRK;
    tio.c_cflag &= ~(CHECKED_FLAGS | HUPCL);
    tio.c_cflag |= control | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
    const uint32_t rate = BaudValue(config.line.baud);
    if (!SetLinuxBaud(fd_, rate)) return false;
    if (config.rtsCtrlToggle && !RaiseRtsOnSend(fd_)) return false;
    if (config.dtrCtrlEnable) SetDTR(true);
    if (config.rtsCtrlEnable) SetRTS(true);
    // The driver may have stored something else than asked; check.
    termios check{};
    uint32_t actualRate = 0;
    if (tcgetattr(fd_, &check) != 0 || !GetLinuxBaud(fd_, actualRate)) return false;
    return (check.c_cflag & CHECKED_FLAGS) == control && actualRate == rate;
}

bool TSerialPortPosix::ReadLineSettings(TLineSettings& line) const {
    termios tio{};
    uint32_t rate = 0;
    if (!IsOpen() || tcgetattr(fd_, &tio) != 0 || !GetLinuxBaud(fd_, rate)) return false;
    int baud = 0;
    while (baud < BAUD_RATE_COUNT && BaudValue(static_cast<TBaudRate>(baud)) != rate)
        ++baud;
    if (baud == BAUD_RATE_COUNT) return false;
    line.baud = static_cast<TBaudRate>(baud);
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = dbFive;
        break;
    case CS6:
        line.dataBits = dbSix;
        break;
    case CS7:
        line.dataBits = dbSeven;
        break;
    default:
        line.dataBits = dbEight;
        break;
    }
    line.stopBits = (tio.c_cflag & CSTOPB) ? sbTwo : sbOne;
    line.parity = pbNone;
    if (tio.c_cflag & PARENB) {
        const bool odd = tio.c_cflag & PARODD;
        line.parity = (tio.c_cflag & CMSPAR) ? (odd ? pbMark : pbSpace) : (odd ? pbOdd : pbEven);
    }
    return true;
}

TPortEvent TSerialPortPosix::WaitEvent() {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return TPortEvent::gone;
        }
        if (fds[1].revents != 0) return TPortEvent::cancelled;
        if ((fds[0].revents & POLLIN) && BytesWaiting() > 0) return TPortEvent::received;
        // Hang-up, an error, or "readable" with nothing to read: the device is not
        // there any more. The caller waits before it looks again.
        if (fds[0].revents != 0) return TPortEvent::gone;
    }
}

bool TSerialPortPosix::WaitCancelled(uint32_t ms) {
    pollfd fd{wake_[0], POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        const int r = poll(&fd, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return true;
    }
}

size_t TSerialPortPosix::BytesWaiting() {
    int count = 0;
    if (ioctl(fd_, FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<size_t>(count);
}

long TSerialPortPosix::Read(uint8_t* buf, size_t max, bool& lineError) {
    const ssize_t got = read(fd_, buf, max);
    if (got < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    return static_cast<long>(marks_.Decode(buf, static_cast<size_t>(got), lineError));
}

bool TSerialPortPosix::WaitWritable() {
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents != 0) return false;
        return (fds[0].revents & POLLOUT) != 0;
    }
}

size_t TSerialPortPosix::Write(const uint8_t* buf, size_t count) {
    size_t done = 0;
    while (done < count && WaitWritable()) {
        const ssize_t put = write(fd_, buf + done, count - done);
        if (put < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            break;
        }
        done += static_cast<size_t>(put);
    }
    return done;
}

void TSerialPortPosix::PurgeInput() {
    tcflush(fd_, TCIFLUSH);
    marks_.Reset();
}

void TSerialPortPosix::PurgeOutput() {
    tcflush(fd_, TCOFLUSH);
}

void TSerialPortPosix::Cancel() {
    const uint8_t one = 1;
    if (wake_[1] < 0) return;
    const ssize_t put = write(wake_[1], &one, 1); // a full pipe is cancelled already
    static_cast<void>(put);
}

void TSerialPortPosix::ResetCancel() {
    uint8_t drain[16];
    while (wake_[0] >= 0 && read(wake_[0], drain, sizeof drain) > 0) {
    }
}

void TSerialPortPosix::SetModemLine(int line, bool on) {
    // A pseudo-terminal has no modem lines (ENOTTY); that is not an error here.
    ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void TSerialPortPosix::SetRTS(bool on) {
    SetModemLine(TIOCM_RTS, on);
}

void TSerialPortPosix::SetDTR(bool on) {
    SetModemLine(TIOCM_DTR, on);
}

TModemStatus TSerialPortPosix::ModemStatus() {
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return {true, true};
    return {(lines & TIOCM_DSR) != 0, (lines & TIOCM_CTS) != 0};
}

} // namespace k730
