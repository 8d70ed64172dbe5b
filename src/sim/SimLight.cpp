#include "sim/SimLight.h"

#include <cmath>
#include <numbers>
#include <sstream>

namespace k730::sim {

namespace {

constexpr int64_t conversionMs = 160; // one converter cycle of the meter

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

std::optional<TLightModel> ParseLight(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::string shape;
    in >> shape;
    std::vector<double> numbers;
    for (double v; in >> v;)
        numbers.push_back(v);
    if (!in.eof()) {
        error = "light: not a number in \"" + text + "\"";
        return std::nullopt;
    }
    TLightModel m;
    auto need = [&](size_t count) {
        if (numbers.size() == count) return true;
        error = "light " + shape + ": expects " + std::to_string(count) + " numbers";
        return false;
    };
    if (shape == "constant") {
        if (!need(1)) return std::nullopt;
        m.level = numbers[0];
    } else if (shape == "sine") {
        if (!need(3)) return std::nullopt;
        m.shape = TLightShape::lsSine;
        m.level = numbers[0];
        m.amplitude = numbers[1];
        m.periodMs = numbers[2] * 1000;
    } else if (shape == "steps") {
        if (numbers.size() < 2) {
            error = "light steps: expects the seconds per step and at least one level";
            return std::nullopt;
        }
        m.shape = TLightShape::lsSteps;
        m.periodMs = numbers[0] * 1000;
        m.steps.assign(numbers.begin() + 1, numbers.end());
    } else if (shape == "walk") {
        if (!need(2)) return std::nullopt;
        m.shape = TLightShape::lsWalk;
        m.level = numbers[0];
        m.amplitude = numbers[1];
    } else {
        error = "light: unknown shape \"" + shape + "\" (constant, sine, steps, walk)";
        return std::nullopt;
    }
    if ((m.shape == TLightShape::lsSine || m.shape == TLightShape::lsSteps) && !(m.periodMs > 0)) {
        error = "light " + shape + ": the period must be positive";
        return std::nullopt;
    }
    return m;
}

TSimLight::TSimLight(TLightModel model, uint64_t seed) : model_(std::move(model)), seed_(seed) {
    walkValue_ = model_.level;
}

void TSimLight::SetModel(const TLightModel& model, int64_t nowMs) {
    const double noise = model_.noise;
    model_ = model;
    model_.noise = noise;
    startMs_ = nowMs;
    walkIndex_ = nowMs / conversionMs;
    walkValue_ = model.level;
}

double TSimLight::Uniform(int64_t conversion, uint64_t salt) const {
    const uint64_t r = Mix(seed_ ^ Mix(static_cast<uint64_t>(conversion) * 4 + salt));
    return static_cast<double>(r >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

double TSimLight::Shape(int64_t sinceMs, int64_t conversion) {
    switch (model_.shape) {
    case TLightShape::lsConstant:
        return model_.level;
    case TLightShape::lsSine:
        return model_.level + model_.amplitude * std::sin(2 * std::numbers::pi * sinceMs / model_.periodMs);
    case TLightShape::lsSteps: {
        if (model_.steps.empty()) return 0;
        const auto i = static_cast<size_t>(sinceMs / model_.periodMs) % model_.steps.size();
        return model_.steps[i];
    }
    case TLightShape::lsWalk: {
        // Catch up conversion by conversion; earlier conversions keep the present
        // value, and after a long pause the walk goes on from where it stood.
        if (conversion <= walkIndex_) return walkValue_;
        if (conversion - walkIndex_ > 100000) walkIndex_ = conversion - 1;
        for (; walkIndex_ < conversion; ++walkIndex_)
            walkValue_ = std::max(0.0, walkValue_ + model_.amplitude * Uniform(walkIndex_, 1));
        return walkValue_;
    }
    }
    return 0;
}

double TSimLight::Sample(int64_t nowMs) {
    const int64_t conversion = nowMs / conversionMs;
    const double value = Shape(nowMs - startMs_, conversion);
    if (model_.noise <= 0) return value;
    // The sum of three uniforms on -1..1 has a standard deviation of 1 and is close
    // enough to a normal spread for a reading's noise.
    const double n = Uniform(conversion, 2) + Uniform(conversion, 3) + Uniform(conversion, 0);
    return value * (1.0 + model_.noise * n);
}

} // namespace k730::sim
