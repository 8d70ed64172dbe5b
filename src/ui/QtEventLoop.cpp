#include "ui/QtEventLoop.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <chrono>

namespace k730 {

TQtEventLoop::TQtEventLoop() : context_(std::make_unique<QObject>()) {}

TQtEventLoop::~TQtEventLoop() {
    timers_.clear();
    context_.reset(); // queued calls addressed to it are discarded
}

void TQtEventLoop::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(context_.get(), std::move(fn), Qt::QueuedConnection);
}

TCommEventLoop::TTimerId TQtEventLoop::StartTimer(uint32_t intervalMs, std::function<void()> onTick) {
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(static_cast<int>(std::max<uint32_t>(intervalMs, 1)));
    QObject::connect(timer.get(), &QTimer::timeout, context_.get(), std::move(onTick));
    timer->start();
    const TTimerId id = nextId_++;
    timers_[id] = std::move(timer);
    return id;
}

void TQtEventLoop::StopTimer(TTimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    // A tick handler may stop its own timer: delete it once control is back in the loop.
    QTimer* timer = it->second.release();
    timers_.erase(it);
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
}

uint64_t TQtEventLoop::TickMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TQtEventLoop::Beep() {
    QApplication::beep();
}

} // namespace k730
