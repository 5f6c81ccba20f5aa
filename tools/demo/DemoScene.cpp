#include "tools/demo/DemoScene.h"
#include "dsp/Angles.h"

#include "effect/ParameterTable.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kCircleRadius = 3.0;
// The pass runs from the front, where the circle ends, to behind on the left,
// 0.55 m from the listener at its closest.
constexpr DemoScene::Position kPassEnd = {-3.5, 1.2};

constexpr double kNotesPerSecond = 4.0;
constexpr double kNotes[] = {220.0, 261.63, 293.66, 329.63, 392.0, 440.0, 392.0, 329.63};
constexpr double kPeak = 0.25;
constexpr double kToneDecaySeconds = 0.12;
constexpr double kNoiseDecaySeconds = 0.008;

// A small fixed noise generator, so every run makes the same file.
class Noise {
public:
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    uint32_t state = 12345u;
};

} // namespace

DemoScene::Position DemoScene::positionAt(double seconds)
{
    if (seconds < kCircleSeconds) {
        const double angle = kTwoPi * seconds / kCircleSeconds;
        return {kCircleRadius * std::cos(angle), kCircleRadius * std::sin(angle)};
    }
    const double along = std::fmin(1.0, (seconds - kCircleSeconds) / kPassSeconds);
    return {kCircleRadius + (kPassEnd.x - kCircleRadius) * along, kPassEnd.y * along};
}

std::vector<float> DemoScene::sourceSignal()
{
    const size_t frames = static_cast<size_t>(durationSeconds() * kSampleRate);
    std::vector<float> samples(frames);
    Noise noise;
    const double noteLength = 1.0 / kNotesPerSecond;
    const size_t noteCount = sizeof kNotes / sizeof kNotes[0];
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const size_t note = static_cast<size_t>(t / noteLength);
        const double since = t - static_cast<double>(note) * noteLength;
        const double pitch = kNotes[note % noteCount];
        double tone = 0.0;
        for (int harmonic = 1; harmonic <= 3; ++harmonic)
            tone += std::sin(kTwoPi * pitch * harmonic * since) / harmonic;
        const double value = 0.6 * tone * std::exp(-since / kToneDecaySeconds) +
            0.5 * noise.next() * std::exp(-since / kNoiseDecaySeconds);
        samples[i] = static_cast<float>(kPeak * value);
    }
    return samples;
}

Automation DemoScene::pathAutomation()
{
    std::vector<Automation::Event> events;
    events.push_back({0.0, kCompensationDistance,
                      ParameterTable::normalisedFromUser(kCompensationDistance, kCompensationMetres)});
    events.push_back({0.0, kZ, ParameterTable::normalisedFromUser(kZ, 0.0)});
    for (double t = 0.0; t <= durationSeconds(); t += kAutomationStepSeconds) {
        const Position p = positionAt(t);
        events.push_back({t, kX, ParameterTable::normalisedFromUser(kX, p.x)});
        events.push_back({t, kY, ParameterTable::normalisedFromUser(kY, p.y)});
    }
    return Automation(std::move(events));
}
