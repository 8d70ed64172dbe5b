#include "comm/WriteThread.h"

#include <algorithm>

namespace k730 {

TWriteThread::TWriteThread(TSerialPort& port, TCommLink& link, uint16_t limit, bool reportWritten)
    : port_(port), link_(link), limit_(std::max<uint16_t>(limit, 1)), reportWritten_(reportWritten) {}

TWriteThread::~TWriteThread() {
    Wake();
    Join();
}

void TWriteThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

bool TWriteThread::Write(const uint8_t* bytes, size_t count) {
    if (link_.gate.StopSet() || bytes == nullptr || count == 0) return false;
    {
        std::lock_guard lock(queueMutex_);
        if (woken_) return false;
        queue_.emplace_back(bytes, bytes + count);
    }
    queueChanged_.notify_one();
    return true;
}

void TWriteThread::Wake() {
    {
        std::lock_guard lock(queueMutex_);
        woken_ = true;
    }
    queueChanged_.notify_one();
}

void TWriteThread::Join() {
    if (thread_.joinable()) thread_.join();
}

void TWriteThread::Run() {
    for (;;) {
        std::vector<uint8_t> block;
        {
            std::unique_lock lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return woken_ || !queue_.empty(); });
            if (woken_ || link_.gate.StopSet()) break;
            block = std::move(queue_.front());
            queue_.pop_front();
        }
        if (link_.lockFlag) {
            std::lock_guard lock(link_.lock);
            WriteBlock(block);
        } else {
            WriteBlock(block);
        }
    }
    port_.PurgeOutput();
}

void TWriteThread::WriteBlock(const std::vector<uint8_t>& block) {
    if (link_.gate.StopSet()) return;
    const size_t count = std::min<size_t>(block.size(), limit_);
    const size_t written = port_.Write(block.data(), count);
    if (!reportWritten_ || written == 0 || link_.gate.StopSet()) return;
    link_.postWritten(std::vector<uint8_t>(block.begin(), block.begin() + static_cast<long>(written)));
}

} // namespace k730
