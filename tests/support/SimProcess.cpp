#include "support/SimProcess.h"

#include "support/TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace k730::test {

using namespace std::chrono_literals;

bool TSimProcess::Start(const std::vector<std::string>& args, int readyCount) {
    Stop();
    std::filesystem::create_directories(portsDir_);
    socket_ = portsDir_.parent_path() / (portsDir_.filename().string() + ".control");
    std::vector<std::string> all{BuildDir() + "/src/sim/k730-sim"};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"--control", socket_.string()});
    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are allowed (other threads may hold
    // the allocator's lock).
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env{"K730_PORTS_DIR=" + portsDir_.string()};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "K730_PORTS_DIR=", 15) != 0)
            env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return false;
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // a crashed test leaves no simulator behind
        dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ::close(out[1]);
    output_ = out[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
    printed_.clear();
    return pid_ > 0 && ReadUntil(" ready on", readyCount);
}

bool TSimProcess::ReadUntil(const std::string& text, int count) {
    return WaitFor(
        [&] {
            char chunk[512];
            for (ssize_t n; (n = ::read(output_, chunk, sizeof chunk)) > 0;)
                printed_.append(chunk, static_cast<size_t>(n));
            int seen = 0;
            for (size_t at = printed_.find(text); at != std::string::npos; at = printed_.find(text, at + 1))
                ++seen;
            return seen >= count;
        },
        10s);
}

std::string TSimProcess::Control(const std::string& command) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return {};
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket_.c_str(), sizeof addr.sun_path - 1);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string line = command + "\n";
        if (::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            pollfd p{fd, POLLIN, 0};
            char c;
            while (poll(&p, 1, 5000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
                reply += c;
        }
    }
    ::close(fd);
    return reply;
}

void TSimProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    if (output_ >= 0) {
        ::close(output_);
        output_ = -1;
    }
}

} // namespace k730::test
