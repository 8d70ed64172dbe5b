// The recording rules: samples, intervals, records, automatic ranging.
#include "history/HistSampler.h"

#include "main/K730Fun.h"
#include "main/RangeDecision.h"
#include "protocol/MerBusAnswers.h"

#include <cmath>
#include <new>

namespace k730 {

namespace {

// Tick 0 means "not set" wherever a tick is stored.
uint32_t NonZero(uint32_t tick) {
    return tick == 0 ? 1 : tick;
}

bool Reached(uint32_t tick, uint32_t due) {
    return static_cast<int32_t>(tick - due) >= 0;
}

constexpr uint8_t FLAG_OVERRANGE = 0x01;
// New firmware marks an answer that carries a conversion not reported before.
constexpr uint8_t FLAG_FRESH = 0x80;
constexpr uint8_t FLAGS_RESET = 0xFF;

// The first status answer after the start counts only once this much has passed.
constexpr int32_t ACCEPT_AFTER_MS = 159;
// The first sample stands for a conversion that began before it was asked for.
constexpr uint32_t FIRST_SAMPLE_LEAD_MS = 240;
constexpr double FIRST_SAMPLE_AGE_DAYS = 160.0 / 86'400'000.0;

void Lower(THistExtremes& e, float value, float fullScale) {
    if (value < e.Minimum) {
        e.Minimum = value;
        e.FullScaleAtMin = fullScale;
    }
    if (value > e.Maximum) {
        e.Maximum = value;
        e.FullScaleAtMax = fullScale;
    }
}

} // namespace

void THistSampler::Start(int averField, uint32_t tick, double nowDays) {
    averField_ = averField;
    data_.IntervalMs = HistIntervalMs(averField);
    startTick_ = NonZero(tick);
    nextDueTick_ = NonZero(startTick_ + static_cast<uint32_t>(data_.IntervalMs));
    data_.StartDateTime = nowDays;
    // Sums left from an earlier registration would hide its first sample.
    acc_ = {};
    accepting_ = false;
    recording_ = true;
}

void THistSampler::Stop() {
    recording_ = false;
    accepting_ = false;
    startTick_ = nextDueTick_ = 0;
}

std::optional<THistSampler::TSample> THistSampler::ReadSample(const TBytes& frame) {
    const auto s = DecodeStatus(frame);
    // A meter that has just reset reports no real flags; a short answer lacks the fields.
    if (!s || !s->flags || *s->flags == FLAGS_RESET || !s->value || !s->kindByte || !s->rawCount ||
        !s->temperatureCode || !s->rangeFullScale)
        return std::nullopt;
    TSample sample;
    sample.value = *s->value;
    sample.fullScale = *s->rangeFullScale;
    sample.tempCode = *s->temperatureCode;
    sample.over = (*s->flags & FLAG_OVERRANGE) != 0;
    sample.resolution = *s->kindByte;
    sample.raw = *s->rawCount;
    return sample;
}

THistSampleOutcome THistSampler::OnStatus(const TBytes& frame, const TMeterInfo& meter, uint32_t tick,
                                          double nowDays) {
    THistSampleOutcome out;
    if (!recording_) return out;
    const auto sample = ReadSample(frame);
    if (!sample) return out;
    if (autoRange_ && skip_ > 0) {
        --skip_;
        return out;
    }
    if (!accepting_) {
        if (static_cast<int32_t>(tick - startTick_) <= ACCEPT_AFTER_MS) return out;
        accepting_ = true;
    }
    if (data_.Samples.empty() && acc_.count == 0) {
        startTick_ = NonZero(tick - FIRST_SAMPLE_LEAD_MS);
        nextDueTick_ = NonZero(startTick_ + static_cast<uint32_t>(data_.IntervalMs));
    }
    if (meter.NewFirmware && (frame[8] & FLAG_FRESH) == 0) return out;
    presentFullScale_ = sample->fullScale;
    if (data_.RangeList.empty())
        for (int i = 0; i < 3 && meter.RangeFullScale[i] > 0; ++i)
            data_.RangeList.push_back(meter.RangeFullScale[i]);
    if (autoRange_ && WantsRangeChange(*sample)) {
        out.trigger = true;
        return out;
    }
    Accumulate(*sample, nowDays);
    out.used = true;
    if (data_.MeterKind == 0) {
        FillIdentity(meter);
        out.identityFilled = true;
    }
    if (IntervalDue(tick, meter)) out.recordAdded = CloseInterval(tick);
    return out;
}

bool THistSampler::WantsRangeChange(const TSample& s) {
    bool smaller = false, larger = false;
    float nextSmaller = 0;
    for (const float r : data_.RangeList) {
        if (r < s.fullScale && (!smaller || r > nextSmaller)) {
            nextSmaller = r;
            smaller = true;
        }
        if (r > s.fullScale) larger = true;
    }
    const bool down = smaller && nextSmaller * RANGE_DOWN_MARGIN >= s.value;
    const bool up = larger && (s.over || s.value > s.fullScale || s.raw >= RAW_READING_FULL);
    wantDown_ = wantDown_ || down;
    wantUp_ = wantUp_ || up;
    return down || up;
}

void THistSampler::Accumulate(const TSample& s, double nowDays) {
    if (acc_.count == 0) {
        acc_.sum = s.value;
        acc_.minimum = acc_.maximum = s.value;
        acc_.largestFullScale = acc_.fullScaleAtMin = acc_.fullScaleAtMax = s.fullScale;
        acc_.tempSum = s.tempCode;
        acc_.resolution = s.resolution;
        acc_.flags = 0;
        if (data_.Samples.empty()) {
            data_.StartDateTime = nowDays - FIRST_SAMPLE_AGE_DAYS;
            data_.Extremes.fill(THistExtremes{s.value, s.value, s.fullScale, s.fullScale});
        }
    } else {
        acc_.sum += s.value;
        acc_.tempSum += s.tempCode;
        if (s.fullScale > acc_.largestFullScale) acc_.largestFullScale = s.fullScale;
        if (s.value < acc_.minimum) {
            acc_.minimum = s.value;
            acc_.fullScaleAtMin = s.fullScale;
        }
        if (s.value > acc_.maximum) {
            acc_.maximum = s.value;
            acc_.fullScaleAtMax = s.fullScale;
        }
    }
    for (auto& e : data_.Extremes)
        Lower(e, s.value, s.fullScale);
    if (s.over) acc_.flags |= HIST_OVERRANGE;
    ++acc_.count;
}

void THistSampler::FillIdentity(const TMeterInfo& meter) {
    data_.SerialNumber = meter.SerialNumber;
    data_.ProductionYear = meter.ProductionYear;
    data_.MeterKind = meter.MeterKind;
    data_.LumMode = meter.LumMode ? 0xFF : 0;
    data_.ModelDescriptor = meter.ModelDescriptor;
    data_.FirmwareVersion = meter.FirmwareVersion;
}

bool THistSampler::IntervalDue(uint32_t tick, const TMeterInfo& meter) const {
    if (nextDueTick_ != 0 && Reached(tick, nextDueTick_)) return true;
    // New firmware answers only with fresh conversions, so at 160 ms one is a record.
    const uint32_t perInterval = static_cast<uint32_t>(data_.IntervalMs) / 160;
    const uint32_t limit = meter.NewFirmware && averField_ == 0 ? perInterval : perInterval + 1;
    return acc_.count >= limit;
}

bool THistSampler::CloseInterval(uint32_t tick) {
    const auto interval = static_cast<uint32_t>(data_.IntervalMs);
    nextDueTick_ += interval;
    // Behind (a slow meter, a busy machine): the next due tick is the first
    // whole interval not before now.
    if (!Reached(nextDueTick_, tick)) {
        const uint32_t behind = tick - nextDueTick_;
        nextDueTick_ += (behind + interval - 1) / interval * interval;
    }
    nextDueTick_ = NonZero(nextDueTick_);
    HistSample r;
    r.TimeMs = static_cast<int32_t>(tick - startTick_);
    r.Resolution = acc_.resolution;
    r.Flags = acc_.flags;
    r.Average = static_cast<float>(acc_.sum / acc_.count);
    r.Minimum = acc_.minimum;
    r.Maximum = acc_.maximum;
    r.FullScale = acc_.largestFullScale;
    r.FullScaleAtMin = acc_.fullScaleAtMin;
    r.FullScaleAtMax = acc_.fullScaleAtMax;
    const auto code = static_cast<uint16_t>(std::nearbyint(static_cast<double>(acc_.tempSum) / acc_.count));
    r.TempTenths = static_cast<int16_t>(std::nearbyint(10 * TempCodeToCelsius(code)));
    acc_ = {};
    try {
        data_.Samples.push_back(r);
    } catch (const std::bad_alloc&) {
        return false; // the list stays as it was
    }
    return true;
}

int THistSampler::PresentRangeIndex() const {
    for (size_t i = 0; i < data_.RangeList.size(); ++i)
        if (data_.RangeList[i] == presentFullScale_) return static_cast<int>(i);
    return -1;
}

THistRequest THistSampler::OnTick() {
    THistRequest request;
    if (!wantUp_ && !wantDown_) return request;
    const int i = PresentRangeIndex();
    const int last = static_cast<int>(data_.RangeList.size()) - 1;
    if (i >= 0 && wantUp_ && i < last)
        request.range = static_cast<uint8_t>(i + 1);
    else if (i >= 0 && wantDown_ && i > 0)
        request.range = static_cast<uint8_t>(i - 1);
    // A request that cannot be served is dropped, so the status requests go on.
    wantUp_ = wantDown_ = false;
    return request;
}

bool THistSampler::OnRange(const TBytes& frame) {
    const bool pending = wantUp_ || wantDown_;
    wantUp_ = wantDown_ = false;
    const auto range = DecodeRange(frame);
    if (!range) return false;
    if (*range < data_.RangeList.size()) presentFullScale_ = data_.RangeList[*range];
    skip_ = HIST_SKIP_AFTER_RANGE;
    return pending;
}

void THistSampler::Clear(double nowDays) {
    const int32_t interval = data_.IntervalMs;
    data_.Reset();
    acc_ = {};
    if (recording_) {
        data_.IntervalMs = interval;
        data_.StartDateTime = nowDays;
    }
}

void THistSampler::Replace(THistData data) {
    data_ = std::move(data);
    acc_ = {};
    data_.SavedCount = data_.ExportedCount = 0;
}

bool THistSampler::CanDelete(int first, int last) const {
    const int count = static_cast<int>(data_.Samples.size());
    if (recording_ || first < 0 || last < first || last >= count) return false;
    if (first == 0 && last == count - 1) return false;
    return first == 0 || last == count - 1;
}

bool THistSampler::Delete(int first, int last) {
    if (!CanDelete(first, last)) return false;
    auto& samples = data_.Samples;
    if (first == 0) {
        const int32_t lastTime = samples[static_cast<size_t>(last)].TimeMs;
        const double movedMs =
            data_.IntervalMs > 0 ? static_cast<double>(data_.IntervalMs) * (last + 1) : lastTime;
        data_.StartDateTime += movedMs / 86'400'000.0;
        samples.erase(samples.begin(), samples.begin() + last + 1);
        for (auto& s : samples)
            s.TimeMs -= lastTime;
    } else {
        samples.resize(static_cast<size_t>(first));
    }
    data_.SavedCount = data_.ExportedCount = 0;
    return true;
}

} // namespace k730
