// TQtEventLoop: the serial component's event loop on the Qt GUI thread. Posted
// functions and timer ticks run on the thread that created the loop (the
// GUI thread in the program), between the window's own events.
#pragma once

#include "comm/CommEventLoop.h"

#include <map>
#include <memory>
#include <mutex>

class QObject;
class QTimer;

namespace k730 {

class TQtEventLoop : public TCommEventLoop {
public:
    TQtEventLoop();
    ~TQtEventLoop() override; // functions still queued are dropped
    TQtEventLoop(const TQtEventLoop&) = delete;
    TQtEventLoop& operator=(const TQtEventLoop&) = delete;

    void Post(std::function<void()> fn) override;
    TTimerId StartTimer(uint32_t intervalMs, std::function<void()> onTick) override;
    void StopTimer(TTimerId id) override;
    uint64_t TickMs() const override;
    void Beep() override;

private:
    std::mutex postMutex_;             // guards context_ against Post from other threads while the loop goes
    std::unique_ptr<QObject> context_; // receiver of posted functions, parent of the timers
    std::map<TTimerId, QTimer*> timers_;
    TTimerId nextId_ = 1;
};

} // namespace k730
