#include "ui/QtEventLoop.h"

#include <QApplication>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace k730 {

TQtEventLoop::TQtEventLoop() : context_(std::make_unique<QObject>()) {}

TQtEventLoop::~TQtEventLoop() {
    std::unique_ptr<QObject> context;
    {
        std::lock_guard lock(postMutex_);
        context = std::move(context_);
    }
    // Deleting the receiver discards the functions posted to it and its timers.
}

// Events posted to one receiver are delivered in the order they were posted,
// which keeps the order of functions posted from one thread.
void TQtEventLoop::Post(std::function<void()> fn) {
    std::lock_guard lock(postMutex_);
    if (!context_) return;
    QMetaObject::invokeMethod(context_.get(), std::move(fn), Qt::QueuedConnection);
}

TCommEventLoop::TTimerId TQtEventLoop::StartTimer(uint32_t intervalMs, std::function<void()> onTick) {
    const TTimerId id = nextId_++;
    auto* timer = new QTimer(context_.get());
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(static_cast<int>(std::max<uint32_t>(intervalMs, 1)));
    // A tick already due when the timer is stopped finds its id gone and does nothing.
    QObject::connect(timer, &QTimer::timeout, context_.get(), [this, id, onTick = std::move(onTick)] {
        if (timers_.count(id) != 0) onTick();
    });
    timers_[id] = timer;
    timer->start();
    return id;
}

void TQtEventLoop::StopTimer(TTimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QTimer* timer = it->second;
    timers_.erase(it);
    timer->stop();
    timer->deleteLater(); // StopTimer may be called from inside the timer's own tick
}

uint64_t TQtEventLoop::TickMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TQtEventLoop::Beep() {
    QApplication::beep();
}

} // namespace k730
