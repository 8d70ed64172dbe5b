// The tty a simulated meter talks on: a pseudo-terminal registered as a
// virtual port, or a given tty (one side of a socat pair, a real serial line).
#pragma once

#include "protocol/MerBusFun.h"
#include "sim/SimLine.h"

#include <string>

namespace k730::sim {

class TSimPort {
public:
    TSimPort() = default;
    ~TSimPort() { Close(); }
    TSimPort(const TSimPort&) = delete;
    TSimPort& operator=(const TSimPort&) = delete;

    // A new pseudo-terminal whose slave side is linked as `name` in the virtual-port folder.
    bool OpenPty(const std::string& name, const TLineSettings& line, std::string& error);
    // A tty given by path, set to the meter's line settings.
    bool OpenTty(const std::string& path, const TLineSettings& line, std::string& error);
    // Closes the tty and removes the link, as pulling the plug would.
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const std::string& DevicePath() const { return device_; }

    // Whatever the program has written so far (empty when nothing).
    TBytes Read();
    // Writes now what the tty takes; the rest stays queued for the next call.
    void Write(const TBytes& bytes);
    bool HasUnwritten() const { return !unwritten_.empty(); }
    void Flush() { Write({}); }

    // Line settings the program put on its side. On a given tty the far side
    // cannot be seen, so the meter's own settings are returned: the real line
    // decides what arrives.
    TLineSettings ProgramLine() const;

private:
    int fd_ = -1;      // pty master, or the given tty
    int slaveFd_ = -1; // held open so the master reads on while the program reopens the port
    std::string device_;
    std::string linkName_;
    TLineSettings line_;
    TBytes unwritten_;
};

} // namespace k730::sim
