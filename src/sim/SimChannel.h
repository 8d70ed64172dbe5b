// The line between the program and one simulated meter: cuts request frames
// out of the bytes the program writes, hands them to the meter, and schedules
// the answer bytes at the line rate after the turnaround delay, with the
// faults applied. Driven by the caller's clock; knows nothing of ttys.
#pragma once

#include "sim/SimFaults.h"
#include "sim/SimLine.h"
#include "sim/SimLog.h"
#include "sim/SimMeter.h"
#include "sim/SimReceiveStopgap.h"

#include <deque>
#include <optional>
#include <string>

namespace k730::sim {

class TSimChannel {
public:
    TSimChannel(std::string name, TSimMeter& meter, TLineSettings meterLine, int turnaroundMs, TSimLog* log,
                uint64_t seed);

    const std::string& Name() const { return name_; }
    TSimMeter& Meter() { return meter_; }
    TSimFaults& Faults() { return faults_; }
    const TLineSettings& MeterLine() const { return meterLine_; }

    // Bytes the program wrote, with the line settings it had set on its side.
    void Receive(const TBytes& bytes, const TLineSettings& programLine, int64_t nowUs);

    // Bytes whose time has come, to be written now, and when the next one is due.
    TBytes Due(int64_t nowUs);
    std::optional<int64_t> NextDueUs() const;

    // A break: the line held at space for durationMs, read by a UART as one 0x00.
    void Break(int durationMs, int64_t nowUs);

    // The port went away: forget half-received requests and unsent answers.
    void Clear();

private:
    void Respond(const TBytes& request, const TLineSettings& programLine, int64_t nowUs);
    // Queues bytes at the line rate from `startUs` on; returns when the last one ends.
    int64_t Schedule(const TBytes& bytes, int64_t startUs);
    void Log(const char* dir, const TBytes& bytes, const char* note = nullptr);

    struct TPending {
        int64_t dueUs;
        uint8_t byte;
    };

    std::string name_;
    TSimMeter& meter_;
    TLineSettings meterLine_;
    int turnaroundMs_;
    TSimLog* log_;
    uint64_t random_;
    TSimFaults faults_;
    TReceiveBuffer received_;  // bytes not yet cut into frames
    std::deque<TPending> out_; // answer bytes in time order
    int64_t lineFreeUs_ = 0;   // the meter's transmitter is busy until then
};

} // namespace k730::sim
