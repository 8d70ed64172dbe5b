// TPortWatcher on Linux: inotify on /dev and the virtual-port folder, and a
// datagram socket per instance in the instances folder.
#include "comm/PortWatcher.h"

#include "comm/PortAnnouncement.h"
#include "comm/VirtualPorts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace k730 {

namespace {

constexpr uint32_t WATCH_MASK = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

// A folder only this user can enter; false when it cannot be had.
bool PrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return false;
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return false;
    return true;
}

bool MakeAddress(const fs::path& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// Device nodes that can be serial ports; the rest of /dev changes often and means nothing here.
bool SerialLooking(const char* name) {
    return std::strncmp(name, "tty", 3) == 0 || std::strncmp(name, "rfcomm", 6) == 0;
}

} // namespace

fs::path InstanceFolder() {
    if (const char* over = std::getenv("K730_INSTANCES_DIR"); over && *over) return fs::path(over);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return fs::path(runtime) / "k730" / "instances";
    return fs::path("/tmp") / ("k730-" + std::to_string(getuid())) / "instances";
}

struct TPortWatcher::TImpl {
    TPortWatcherCallbacks callbacks;
    int inotify = -1;
    int devWatch = -1;
    int socket = -1;
    int wake[2] = {-1, -1};
    fs::path folder;    // the instances folder
    fs::path ownSocket; // this instance's socket in it
    std::thread thread;

    void SetUpWatches();
    void SetUpSocket(const void* self);
    void Run();
    void DrainInotify();
    void ReceiveAnnouncement();
};

void TPortWatcher::TImpl::SetUpWatches() {
    inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify < 0) return;
    devWatch = inotify_add_watch(inotify, "/dev", WATCH_MASK);
    const fs::path ports = VirtualPortFolder();
    std::error_code ec;
    fs::create_directories(ports, ec);
    inotify_add_watch(inotify, ports.c_str(), WATCH_MASK);
}

void TPortWatcher::TImpl::SetUpSocket(const void* self) {
    folder = InstanceFolder();
    if (!PrivateFolder(folder)) return;
    char name[64];
    std::snprintf(name, sizeof name, "%d-%p.sock", static_cast<int>(getpid()), self);
    ownSocket = folder / name;
    sockaddr_un address{};
    if (!MakeAddress(ownSocket, address)) return;
    socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) return;
    unlink(ownSocket.c_str());
    if (bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(socket);
        socket = -1;
        return;
    }
    chmod(ownSocket.c_str(), 0600);
}

void TPortWatcher::TImpl::Run() {
    pollfd fds[3] = {{wake[0], POLLIN, 0}, {inotify, POLLIN, 0}, {socket, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if (fds[1].revents & POLLIN) DrainInotify();
        if (fds[2].revents & POLLIN) ReceiveAnnouncement();
    }
}

void TPortWatcher::TImpl::DrainInotify() {
    alignas(inotify_event) char buffer[4096];
    bool relevant = false;
    for (;;) {
        const ssize_t got = read(inotify, buffer, sizeof buffer);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const bool inDev = event->wd == devWatch;
            if (!inDev || (event->len > 0 && SerialLooking(event->name))) relevant = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // One refresh for a burst of events (a device node and its links appear together).
    if (relevant && callbacks.devicesChanged) callbacks.devicesChanged();
}

void TPortWatcher::TImpl::ReceiveAnnouncement() {
    uint8_t buffer[MAX_ANNOUNCED_PORT + 2];
    for (;;) {
        // MSG_TRUNC gives the datagram's whole length, so a longer one is not
        // mistaken for the name it begins with.
        const ssize_t got = recv(socket, buffer, sizeof buffer, MSG_TRUNC);
        if (got < 0) break;
        if (static_cast<size_t>(got) > sizeof buffer) continue;
        const auto port = AnnouncedPort(std::span(buffer, static_cast<size_t>(got)));
        if (port && callbacks.portReleased) callbacks.portReleased(*port);
    }
}

TPortWatcher::TPortWatcher(TPortWatcherCallbacks callbacks) : impl_(std::make_unique<TImpl>()) {
    impl_->callbacks = std::move(callbacks);
    if (pipe2(impl_->wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
    impl_->SetUpWatches();
    impl_->SetUpSocket(this);
    impl_->thread = std::thread([impl = impl_.get()] { impl->Run(); });
}

TPortWatcher::~TPortWatcher() {
    if (impl_->thread.joinable()) {
        const char one = 1;
        const ssize_t put = write(impl_->wake[1], &one, 1);
        static_cast<void>(put);
        impl_->thread.join();
    }
    if (impl_->socket >= 0) {
        close(impl_->socket);
        unlink(impl_->ownSocket.c_str());
    }
    for (int fd : {impl_->inotify, impl_->wake[0], impl_->wake[1]})
        if (fd >= 0) close(fd);
}

void TPortWatcher::Announce(const std::string& port) {
    const TBytes datagram = PortAnnouncement(port);
    if (impl_->socket < 0 || datagram.empty()) return;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(impl_->folder, ec)) {
        std::error_code entryError;
        if (entry.path() == impl_->ownSocket || !entry.is_socket(entryError)) continue;
        sockaddr_un address{};
        if (!MakeAddress(entry.path(), address)) continue;
        const ssize_t sent = sendto(impl_->socket, datagram.data(), datagram.size(), MSG_DONTWAIT,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
        // Nobody listens there any more: a socket left behind by an instance that did not end cleanly.
        if (sent < 0 && errno == ECONNREFUSED) unlink(entry.path().c_str());
    }
}

} // namespace k730
