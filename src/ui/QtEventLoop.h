// TQtEventLoop: the serial component's event loop on the Qt GUI thread.
// Posted functions travel as queued calls to a context object, so they run on
// the thread that created the loop and are dropped once the loop is gone.
#pragma once

#include "comm/CommEventLoop.h"

#include <QObject>

#include <map>
#include <memory>

class QTimer;

namespace k730 {

class TQtEventLoop : public TCommEventLoop {
public:
    TQtEventLoop();
    ~TQtEventLoop() override;
    TQtEventLoop(const TQtEventLoop&) = delete;
    TQtEventLoop& operator=(const TQtEventLoop&) = delete;

    void Post(std::function<void()> fn) override;
    TTimerId StartTimer(uint32_t intervalMs, std::function<void()> onTick) override;
    void StopTimer(TTimerId id) override;
    uint64_t TickMs() const override;
    void Beep() override;

private:
    std::unique_ptr<QObject> context_; // lives on the GUI thread; receives the queued calls
    std::map<TTimerId, std::unique_ptr<QTimer>> timers_;
    TTimerId nextId_ = 1;
};

} // namespace k730
