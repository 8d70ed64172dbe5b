// TPortWatcher: the component's link to the world around it. One thread
// watches for serial devices arriving and leaving (the device folder and the
// virtual-port folder) and listens for other running instances announcing
// that they released a port. Announce sends such an announcement to them.
//
// The callbacks run on the watcher's thread; the component posts them on.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace k730 {

struct TPortWatcherCallbacks {
    std::function<void()> devicesChanged;                 // a port may have come or gone
    std::function<void(const std::string&)> portReleased; // another instance released this port
};

// Folder of the instances' announcement sockets: $K730_INSTANCES_DIR, else
// $XDG_RUNTIME_DIR/k730/instances, else /tmp/k730-<uid>/instances. Made 0700;
// a folder that is not the user's own alone is not used.
std::filesystem::path InstanceFolder();

class TPortWatcher {
public:
    // Starts watching. Whatever cannot be set up (no inotify, a foreign folder)
    // is left out; the rest still works.
    explicit TPortWatcher(TPortWatcherCallbacks callbacks);
    ~TPortWatcher(); // wakes the thread and joins it
    TPortWatcher(const TPortWatcher&) = delete;
    TPortWatcher& operator=(const TPortWatcher&) = delete;

    // Tells every other running instance that `port` is free now.
    void Announce(const std::string& port);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

} // namespace k730
