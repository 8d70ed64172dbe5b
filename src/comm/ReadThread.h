// TReadThread: waits for port events, gathers the incoming bytes into blocks
// (a block ends with a pause of TimeOut ms or when the buffer is nearly full)
// and posts each block to the owner's thread through the link.
#pragma once

#include "comm/CommLink.h"
#include "comm/SerialPort.h"

#include <thread>
#include <vector>

namespace k730 {

class TReadThread {
public:
    // `slack`: half again as many bytes as the line carries in one gap time; a
    // gathering pass stops reading before the buffer comes that close to full.
    TReadThread(TSerialPort& port, TCommLink& link, uint16_t bufferSize, uint32_t slack);
    ~TReadThread();
    TReadThread(const TReadThread&) = delete;
    TReadThread& operator=(const TReadThread&) = delete;

    void Start();
    // Returns once the thread has ended; the owner sets the stop event and cancels the port first.
    void Join();

private:
    void Run();
    void ProcessEvent(TPortEvent event);
    void Gather();
    // Reads one block; returns its length, or 0 with `failed` set when the pass must end.
    size_t GatherBlock(bool& failed);
    void Deliver(size_t fill);
    void LineError();
    void PortGone();

    TSerialPort& port_;
    TCommLink& link_;
    uint32_t slack_;
    std::vector<uint8_t> buffer_; // allocated once per open
    std::thread thread_;
};

} // namespace k730
