// TWriteThread: takes byte blocks from the owner's thread and writes each to
// the port, optionally posting back what was written (OnTxdEmpty).
#pragma once

#include "comm/CommLink.h"
#include "comm/SerialPort.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace k730 {

class TWriteThread {
public:
    // `limit`: a block is cut to this many bytes (SizeBufTXD). `reportWritten`:
    // whether OnTxdEmpty was assigned when the port opened.
    TWriteThread(TSerialPort& port, TCommLink& link, uint16_t limit, bool reportWritten);
    ~TWriteThread();
    TWriteThread(const TWriteThread&) = delete;
    TWriteThread& operator=(const TWriteThread&) = delete;

    void Start();
    // Owner's thread: hands a copy of the bytes over. False when the stop event
    // is set, there are no bytes, or the thread no longer takes blocks.
    bool Write(const uint8_t* bytes, size_t count);
    // Wakes the thread so that it sees the stop event; then Join.
    void Wake();
    void Join();

private:
    void Run();
    void WriteBlock(const std::vector<uint8_t>& block);

    TSerialPort& port_;
    TCommLink& link_;
    const uint16_t limit_;
    const bool reportWritten_;
    std::mutex queueMutex_; // guards queue_ and woken_
    std::condition_variable queueChanged_;
    std::deque<std::vector<uint8_t>> queue_;
    bool woken_ = false;
    std::thread thread_;
};

} // namespace k730
