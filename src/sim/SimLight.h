// The light falling on the simulated detector, in the meter's unit, as a
// function of time: constant, sine, steps or random walk, with noise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730::sim {

enum class TLightShape : uint8_t { lsConstant, lsSine, lsSteps, lsWalk };

struct TLightModel {
    TLightShape shape = TLightShape::lsConstant;
    double level = 500.0;      // constant value, sine centre, walk start; meter's unit
    double amplitude = 0.0;    // sine amplitude, or largest walk step per conversion
    double periodMs = 10000.0; // sine period, or how long each step lasts
    std::vector<double> steps; // levels of the steps shape, visited in turn
    double noise = 0.0;        // standard deviation relative to the value (0.01 = 1 %)
};

// Parses "constant 500", "sine 500 100 10" (centre, amplitude, period in s),
// "steps 2 10 100 1000" (seconds per step, then the levels), "walk 500 5"
// (start, largest step per conversion). Noise is set apart.
std::optional<TLightModel> ParseLight(const std::string& text, std::string& error);

// Samples the model. Noise and the walk are pseudo-random but reproducible:
// the value depends only on the seed and the conversion index.
class TSimLight {
public:
    explicit TSimLight(TLightModel model = {}, uint64_t seed = 1);

    void SetModel(const TLightModel& model, int64_t nowMs);
    void SetNoise(double noise) { model_.noise = noise; }
    const TLightModel& Model() const { return model_; }

    // Light at the detector during the conversion that runs at `nowMs`.
    double Sample(int64_t nowMs);

private:
    double Shape(int64_t sinceMs, int64_t conversion);
    double Uniform(int64_t conversion, uint64_t salt) const; // -1 .. 1

    TLightModel model_;
    uint64_t seed_;
    int64_t startMs_ = 0;
    int64_t walkIndex_ = 0; // conversion the walk value belongs to
    double walkValue_ = 0.0;
};

} // namespace k730::sim
