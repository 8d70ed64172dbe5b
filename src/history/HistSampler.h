// THistSampler: the recording rules of the measurement history. It takes
// every status answer while recording, averages the samples over the chosen
// interval and appends one record per interval; it asks for automatic range
// changes and skips the samples that follow one; on every pacing tick it says
// which request goes out. Toolkit-free and clock-free: the caller passes the
// millisecond tick and the local date and time of each event.
#pragma once

#include "files/HistData.h"
#include "main/MeterInfo.h"
#include "protocol/MerBusFun.h"

#include <cstdint>
#include <optional>

namespace k730 {

// Samples skipped after the meter confirmed a range change.
constexpr int HIST_SKIP_AFTER_RANGE = 2;
// Averaging field 0 stands for records of one conversion time.
constexpr int32_t HIST_SHORT_INTERVAL_MS = 160;
constexpr int HIST_MAX_AVER_FIELD = 3600; // seconds

// Record interval for the averaging field (0 … 3600 seconds): 160 ms for 0.
constexpr int32_t HistIntervalMs(int field) {
    return field <= 0 ? HIST_SHORT_INTERVAL_MS : 1000 * field;
}

// The sums of the interval being recorded.
struct THistAccumulator {
    uint32_t count = 0;
    double sum = 0; // of the sample values
    float minimum = 0, maximum = 0;
    float fullScaleAtMin = 0, fullScaleAtMax = 0, largestFullScale = 0;
    uint64_t tempSum = 0; // of the temperature codes
    uint8_t resolution = 0;
    uint8_t flags = 0;
};

// What one status answer did.
struct THistSampleOutcome {
    bool used = false;           // accumulated into the interval
    bool recordAdded = false;    // the interval closed into a new record
    bool identityFilled = false; // the meter's identity was copied into the history
    bool trigger = false;        // a range change is wanted: tick at once
};

// What a pacing tick sends.
struct THistRequest {
    std::optional<uint8_t> range; // a set-range request for this range, else a status request
};

class THistSampler {
public:
    // Starts a registration: interval from the averaging field, ticks and the
    // start date from now. The records must have been cleared before.
    void Start(int averField, uint32_t tick, double nowDays);
    void Stop();
    bool Recording() const { return recording_; }

    // Every status answer; nothing happens unless recording.
    THistSampleOutcome OnStatus(const TBytes& frame, const TMeterInfo& meter, uint32_t tick, double nowDays);
    // Every answer to a set-range request; true when a tick should follow at once.
    bool OnRange(const TBytes& frame);
    // The pacing tick: a pending automatic range change, else a status request.
    THistRequest OnTick();

    // The automatic range change of the window's own check box.
    void SetAutoRange(bool on) { autoRange_ = on; }
    bool AutoRange() const { return autoRange_; }

    // Forgets the history (identity, records, counts, names). While recording
    // the interval stays and the registration starts again from now.
    void Clear(double nowDays);
    // Takes over a history read from a file; recording must be stopped.
    void Replace(THistData data);
    // A leading block (first = 0) or a trailing block (last = the last
    // record), never all records, and only while not recording.
    bool CanDelete(int first, int last) const;
    // Deletes such a block; false (nothing changed) for any other.
    bool Delete(int first, int last);

    const THistData& Data() const { return data_; }
    THistData& Data() { return data_; }
    const THistAccumulator& Interval() const { return acc_; }
    float PresentFullScale() const { return presentFullScale_; }
    bool RangeUpWanted() const { return wantUp_; }
    bool RangeDownWanted() const { return wantDown_; }

private:
    // The samples of a status answer that the rules read.
    struct TSample {
        float value = 0;
        float fullScale = 0;
        uint16_t tempCode = 0;
        bool over = false;
        uint8_t resolution = 0;
        double raw = 0;
    };
    static std::optional<TSample> ReadSample(const TBytes& frame);
    bool WantsRangeChange(const TSample& s);
    void Accumulate(const TSample& s, double nowDays);
    void FillIdentity(const TMeterInfo& meter);
    bool IntervalDue(uint32_t tick, const TMeterInfo& meter) const;
    bool CloseInterval(uint32_t tick);
    int PresentRangeIndex() const;

    THistData data_;
    THistAccumulator acc_;
    bool recording_ = false;
    bool accepting_ = false;   // 160 ms have passed since the start
    uint32_t startTick_ = 0;   // 0 = not set
    uint32_t nextDueTick_ = 0; // 0 = not set
    int averField_ = 1;
    bool autoRange_ = false;
    bool wantUp_ = false, wantDown_ = false;
    int skip_ = 0; // samples still to skip after a range change
    float presentFullScale_ = 0;
};

} // namespace k730
