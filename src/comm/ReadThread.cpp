#include "comm/ReadThread.h"

#include <algorithm>

namespace k730 {

namespace {

// After reporting a vanished device the thread waits this long before it
// looks at the port again, so an unplugged adapter costs one wake-up a second.
constexpr uint32_t REOPEN_INTERVAL_MS = 1000;

} // namespace

TReadThread::TReadThread(TSerialPort& port, TCommLink& link, uint16_t bufferSize, uint32_t slack)
    : port_(port), link_(link), slack_(slack), buffer_(std::max<uint16_t>(bufferSize, 1)) {}

TReadThread::~TReadThread() {
    Join();
}

void TReadThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TReadThread::Join() {
    if (thread_.joinable()) thread_.join();
}

void TReadThread::Run() {
    while (!link_.gate.StopSet()) {
        const TPortEvent event = port_.WaitEvent();
        if (event == TPortEvent::cancelled || link_.gate.StopSet()) break;
        if (link_.lockFlag) {
            std::lock_guard lock(link_.lock);
            ProcessEvent(event);
        } else {
            ProcessEvent(event);
        }
    }
    port_.PurgeInput();
}

void TReadThread::ProcessEvent(TPortEvent event) {
    if (link_.gate.StopSet()) return;
    switch (event) {
    case TPortEvent::lineError:
        LineError();
        break;
    case TPortEvent::gone:
        PortGone();
        break;
    case TPortEvent::received:
        Gather();
        break;
    case TPortEvent::cancelled:
        break;
    }
}

void TReadThread::LineError() {
    port_.PurgeInput();
    if (!link_.gate.StopSet()) link_.postLineError();
}

void TReadThread::PortGone() {
    link_.postReopen();
    port_.WaitCancelled(REOPEN_INTERVAL_MS);
}

void TReadThread::Gather() {
    bool failed = false;
    do {
        const size_t fill = GatherBlock(failed);
        if (fill == 0) return;
        if (!link_.gate.StopSet()) Deliver(fill);
    } while (!failed && !link_.gate.StopSet() && port_.BytesWaiting() > 0);
}

size_t TReadThread::GatherBlock(bool& failed) {
    const size_t size = buffer_.size();
    size_t n = std::min(port_.BytesWaiting(), size);
    size_t fill = 0;
    while (n > 0) {
        bool lineError = false;
        const long got = port_.Read(buffer_.data() + fill, n, lineError);
        if (lineError) {
            LineError(); // the partial block goes with the purged input
            failed = true;
            return 0;
        }
        if (got <= 0) {
            failed = true;
            break;
        }
        fill += static_cast<size_t>(got);
        // The gap: give the rest of a frame TimeOut ms to arrive.
        if (fill + slack_ < size && port_.WaitCancelled(link_.timeOut)) break;
        n = std::min(port_.BytesWaiting(), size);
        if (fill + n + slack_ >= size) break;
    }
    return fill;
}

void TReadThread::Deliver(size_t fill) {
    std::vector<uint8_t> block(buffer_.begin(), buffer_.begin() + static_cast<long>(fill));
    if (link_.hold != 0 && !link_.gate.WaitReadyOrStop()) return;
    link_.gate.ResetReady();
    link_.postReceived(std::move(block));
    link_.gate.SetReady();
}

} // namespace k730
