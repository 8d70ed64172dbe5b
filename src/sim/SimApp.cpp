#include "sim/SimApp.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace k730::sim {

TSimApp::TSimApp(TSimOptions options) : options_(std::move(options)) {
    startNs_ = std::chrono::steady_clock::now().time_since_epoch().count();
}

TSimApp::~TSimApp() {
    for (auto& unit : units_)
        unit->port.Close();
    for (const TClient& c : clients_)
        ::close(c.fd);
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(options_.control.c_str());
    }
    if (signalFd_ >= 0) ::close(signalFd_);
}

int64_t TSimApp::NowUs() const {
    return (std::chrono::steady_clock::now().time_since_epoch().count() - startNs_) / 1000;
}

bool TSimApp::OpenPort(TUnit& unit, std::string& error) {
    if (!options_.port.empty()) return unit.port.OpenTty(options_.port, line_, error);
    return unit.port.OpenPty(unit.name, line_, error);
}

void TSimApp::Announce(const TUnit& unit) {
    std::cout << unit.name << " ready on " << unit.port.DevicePath() << ", " << LineText(line_)
              << ", address 0x" << std::hex << std::uppercase << unit.meter->Address() << std::dec
              << std::nouppercase << std::endl;
}

bool TSimApp::Start(std::string& error) {
    const auto line = LineFromOptions(options_, error);
    if (!line) return false;
    line_ = *line;
    if (!options_.port.empty() && options_.count != 1) {
        error = "--port serves one meter; leave out --count";
        return false;
    }
    if (!options_.logFile.empty() && !log_.Open(options_.logFile, error)) return false;
    std::string lightError;
    auto light = ParseLight(options_.light, lightError);
    if (!light) {
        error = "--light: " + lightError;
        return false;
    }
    light->noise = options_.noise;
    std::vector<TSimChannel*> channels;
    for (int i = 0; i < options_.count; ++i) {
        auto unit = std::make_unique<TUnit>();
        unit->name = MeterName(options_, i);
        unit->stateFile = MeterStateFile(options_, i);
        auto eeprom = EepromFromOptions(options_, i, error);
        if (!eeprom) return false;
        TSimDetector detector(HardwareFromOptions(options_, *eeprom),
                              TSimLight(*light, options_.seed + static_cast<uint64_t>(i)));
        unit->meter = std::make_unique<TSimMeter>(*eeprom, std::move(detector), 0);
        unit->meter->SetZeroingMs(options_.zeroingMs);
        unit->channel = std::make_unique<TSimChannel>(unit->name, *unit->meter, line_, options_.turnaroundMs,
                                                      &log_, options_.seed + static_cast<uint64_t>(i));
        for (const std::string& fault : options_.faults) {
            TSimLineEvent once;
            if (!ApplyFaultCommand(fault, unit->channel->Faults(), once, error)) return false;
        }
        // A new state file shows its format at once; an existing one is rewritten
        // only when a command changes the EEPROM.
        if (!unit->stateFile.empty() && !std::filesystem::exists(unit->stateFile) &&
            !SaveEeprom(unit->stateFile, unit->meter->Eeprom(), error))
            return false;
        channels.push_back(unit->channel.get());
        units_.push_back(std::move(unit));
    }
    for (auto& unit : units_)
        if (!OpenPort(*unit, error)) return false;
    // "ready" promises that the control channel answers too, so it opens first.
    control_ = std::make_unique<TSimControl>(channels);
    if (!OpenControl(error)) return false;
    for (auto& unit : units_)
        Announce(*unit);
    return true;
}

bool TSimApp::OpenControl(std::string& error) {
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGHUP);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signalFd_ = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    if (options_.control == "stdin") {
        stdinOpen_ = true;
        return true;
    }
    if (options_.control == "none") return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (options_.control.size() >= sizeof address.sun_path) {
        error = "--control: socket path too long";
        return false;
    }
    std::strcpy(address.sun_path, options_.control.c_str());
    ::unlink(address.sun_path); // left by a run that did not end cleanly
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 4) != 0) {
        error = options_.control + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int TSimApp::TimeoutMs(int64_t nowUs) const {
    int64_t next = nowUs + 100000; // look at the state files and the unplugged ports now and then
    for (const auto& unit : units_) {
        if (auto due = unit->channel->NextDueUs()) next = std::min(next, *due);
        if (unit->replugAtUs >= 0) next = std::min(next, unit->replugAtUs);
        if (unit->breakEndUs >= 0) next = std::min(next, unit->breakEndUs);
        if (unit->port.HasUnwritten()) next = std::min(next, nowUs + 1000);
    }
    return static_cast<int>(std::max<int64_t>(0, (next - nowUs + 999) / 1000));
}

void TSimApp::ServicePorts(int64_t nowUs) {
    for (auto& unit : units_) {
        if (unit->replugAtUs >= 0 && nowUs >= unit->replugAtUs) {
            std::string error;
            unit->replugAtUs = -1;
            unit->meter->PowerCycle(nowUs / 1000); // the meter is powered through the adapter
            if (OpenPort(*unit, error))
                Announce(*unit);
            else
                std::cerr << "k730-sim: " << unit->name << ": " << error << std::endl;
        }
        if (unit->breakEndUs >= 0 && nowUs >= unit->breakEndUs) {
            unit->port.SetBreak(false);
            unit->breakEndUs = -1;
        }
        if (!unit->port.IsOpen()) continue;
        const TBytes in = unit->port.Read();
        if (!in.empty()) unit->channel->Receive(in, unit->port.ProgramLine(), nowUs);
        unit->port.Write(unit->channel->Due(NowUs()));
    }
}

void TSimApp::RunControlLine(const std::string& line, int replyFd) {
    const int64_t nowUs = NowUs();
    std::vector<TSimPortRequest> requests;
    const std::string reply = control_->Execute(line, nowUs, requests) + "\n";
    for (const TSimPortRequest& r : requests) {
        TUnit& unit = *units_[r.channel];
        if (r.event.kind == TSimLineEvent::TKind::leBreak) {
            const bool real = unit.port.SetBreak(true);
            if (real) unit.breakEndUs = nowUs + r.event.durationMs * int64_t{1000};
            unit.channel->Break(r.event.durationMs, nowUs, !real);
            continue;
        }
        unit.port.Close();
        unit.channel->Clear();
        unit.replugAtUs = nowUs + r.event.durationMs * int64_t{1000};
        std::cout << unit.name << " unplugged" << std::endl;
    }
    if (replyFd == STDIN_FILENO) {
        std::cout << reply << std::flush;
    } else {
        // A client that does not read its replies loses them rather than stopping the meters.
        [[maybe_unused]] const ssize_t n =
            ::send(replyFd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    if (control_->QuitRequested()) quit_ = true;
}

void TSimApp::ReadControl(int fd, std::string& pending, bool& closed) {
    char chunk[1024];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        closed = true;
        return;
    }
    if (n < 0) return;
    pending.append(chunk, static_cast<size_t>(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        RunControlLine(line, fd);
    }
    if (pending.size() > 65536) pending.clear(); // no command is that long
}

void TSimApp::SaveStates() {
    for (auto& unit : units_) {
        if (!unit->meter->TakeEepromDirty() || unit->stateFile.empty()) continue;
        std::string error;
        if (!SaveEeprom(unit->stateFile, unit->meter->Eeprom(), error))
            std::cerr << "k730-sim: " << error << std::endl;
    }
}

void TSimApp::PollOnce() {
    std::vector<pollfd> fds;
    for (auto& unit : units_)
        if (unit->port.IsOpen())
            fds.push_back(
                {unit->port.Fd(), static_cast<short>(POLLIN | (unit->port.HasUnwritten() ? POLLOUT : 0)), 0});
    const size_t controlAt = fds.size();
    fds.push_back({signalFd_, POLLIN, 0});
    fds.push_back({stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    for (const TClient& c : clients_)
        fds.push_back({c.fd, POLLIN, 0});
    ::poll(fds.data(), fds.size(), TimeoutMs(NowUs()));

    ServicePorts(NowUs());
    if (fds[controlAt].revents & POLLIN) quit_ = true; // a signal to stop
    if (fds[controlAt + 1].revents & (POLLIN | POLLHUP)) {
        bool closed = false;
        ReadControl(STDIN_FILENO, stdinPending_, closed);
        if (closed) stdinOpen_ = false; // no more commands; the meters run on
    }
    if (fds[controlAt + 2].revents & POLLIN) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) clients_.push_back({fd, {}});
    }
    for (size_t i = 0; i < clients_.size() && controlAt + 3 + i < fds.size(); ++i) {
        if (!(fds[controlAt + 3 + i].revents & (POLLIN | POLLHUP))) continue;
        bool closed = false;
        ReadControl(clients_[i].fd, clients_[i].pending, closed);
        if (closed) {
            ::close(clients_[i].fd);
            clients_[i].fd = -1;
        }
    }
    std::erase_if(clients_, [](const TClient& c) { return c.fd < 0; });
    SaveStates();
}

int TSimApp::Run() {
    while (!quit_)
        PollOnce();
    // Let answers already on their way finish, as a meter would.
    for (auto& unit : units_)
        unit->port.Write(unit->channel->Due(INT64_MAX));
    SaveStates();
    for (auto& unit : units_)
        unit->port.Close();
    return 0;
}

} // namespace k730::sim
