#include "sim/SimChannel.h"

#include <chrono>

namespace k730::sim {

namespace {

int64_t EpochMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

TSimChannel::TSimChannel(std::string name, TSimMeter& meter, TLineSettings meterLine, int turnaroundMs,
                         TSimLog* log, uint64_t seed)
    : name_(std::move(name)), meter_(meter), meterLine_(meterLine), turnaroundMs_(turnaroundMs), log_(log),
      random_(seed * 0x9E3779B97F4A7C15ull + 1) {}

void TSimChannel::Log(const char* dir, const TBytes& bytes, const char* note) {
    if (log_) log_->Write(EpochMs(), name_, dir, bytes, note);
}

int64_t TSimChannel::Schedule(const TBytes& bytes, int64_t startUs) {
    const int64_t charUs = TransferMicros(meterLine_, 1);
    int64_t t = std::max(startUs, lineFreeUs_);
    for (uint8_t b : bytes) {
        out_.push_back({t, b});
        t += charUs;
    }
    lineFreeUs_ = t;
    return t;
}

void TSimChannel::Receive(const TBytes& bytes, const TLineSettings& programLine, int64_t nowUs) {
    if (faults_.echo) {
        // A loopback plug: the bytes come straight back and no meter hears them.
        Log("rx", bytes, "echo");
        Schedule(bytes, nowUs);
        Log("tx", bytes, "echo");
        return;
    }
    received_.Append(bytes);
    while (const size_t length = received_.ExtractFrame()) {
        const TBytes request = received_.TakeFrame(length);
        Log("rx", request);
        Respond(request, programLine, nowUs);
    }
}

void TSimChannel::Respond(const TBytes& request, const TLineSettings& programLine, int64_t nowUs) {
    meter_.SetAddressOverride(faults_.otherAddress);
    meter_.SetRefused(faults_.refused);
    meter_.SetAnswerAddress(faults_.answerAs);
    std::optional<TBytes> answer = meter_.Handle(request, nowUs / 1000);
    if (!answer) return;
    if (faults_.stopAfter) {
        if (*faults_.stopAfter <= 0) return;
        --*faults_.stopAfter;
    }
    const char* note = nullptr;
    if (programLine != meterLine_) {
        // What the program's receiver makes of the meter's characters. When that
        // is the answer itself, the meter is the one that cannot read the line:
        // the program's characters reach it with framing errors, so it stays silent.
        TBytes garbled = ResampleCharacters(*answer, meterLine_, programLine);
        if (garbled == *answer) return;
        *answer = std::move(garbled);
        note = "line mismatch";
    }
    int64_t start = nowUs + (turnaroundMs_ + faults_.slowMs) * int64_t{1000};
    if (faults_.splitPauseMs > 0 && answer->size() > 1) {
        const auto half = static_cast<std::ptrdiff_t>(answer->size() / 2);
        const int64_t end = Schedule(TBytes(answer->begin(), answer->begin() + half), start);
        Schedule(TBytes(answer->begin() + half, answer->end()), end + faults_.splitPauseMs * int64_t{1000});
    } else {
        Schedule(*answer, start);
    }
    Log("tx", *answer, note);
    if (faults_.garbageBytes > 0) {
        TBytes garbage;
        for (int i = 0; i < faults_.garbageBytes; ++i) {
            random_ = random_ * 6364136223846793005ull + 1442695040888963407ull;
            garbage.push_back(static_cast<uint8_t>(random_ >> 56));
        }
        // A short idle gap first, so the garbage is not taken for part of the answer.
        Schedule(garbage, lineFreeUs_ + 2 * TransferMicros(meterLine_, 1));
        Log("tx", garbage, "garbage");
    }
}

TBytes TSimChannel::Due(int64_t nowUs) {
    TBytes bytes;
    while (!out_.empty() && out_.front().dueUs <= nowUs) {
        bytes.push_back(out_.front().byte);
        out_.pop_front();
    }
    return bytes;
}

std::optional<int64_t> TSimChannel::NextDueUs() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().dueUs;
}

void TSimChannel::Break(int durationMs, int64_t nowUs, bool withZero) {
    const TBytes zero{0};
    const int64_t start = std::max(nowUs, lineFreeUs_);
    if (withZero) Schedule(zero, start);
    lineFreeUs_ = start + durationMs * int64_t{1000};
    Log("tx", withZero ? zero : TBytes{}, "break");
}

void TSimChannel::Clear() {
    received_.Clear();
    out_.clear();
    lineFreeUs_ = 0;
}

} // namespace k730::sim
