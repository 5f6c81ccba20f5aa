// Cost per frame of the whole plug-in's processReplacing, FuMa against AmbiX:
// the AmbiX plug-in runs the same encoder with weighted gains, renders into
// its ACN places and writes nine silent channels. The goal is at most 1.2x
// the FuMa cost in every case.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effect/EffectIdentity.h"
#include "vst/NelAmbiEncEdit.h"

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

enum Case { CompensationOff, NearSource, FarSource, MovingSource };

// Normalised parameter values (index: 0 azimuth, 2 x, 3 y, 5 distance,
// 6 compensation).
constexpr float kAzimuth = 0.6f / 6.2831853f; // 0.6 rad, as the engine benchmark
constexpr float kOneMetre = 0.75f; // distance 1 m
constexpr float kFarSource = 0.0f; // distance 4 m
constexpr float kCompensationOff = 1.0f;
constexpr float kCompensationTwoMetres = 1.5f / 3.5f;

void configure(NelAmbiEnc& effect, Case c)
{
    effect.setSampleRate(48000.0f);
    effect.setParameter(6, c == CompensationOff ? kCompensationOff : kCompensationTwoMetres);
    effect.setParameter(0, kAzimuth);
    effect.setParameter(5, c == FarSource ? kFarSource : kOneMetre);
    effect.resume();
}

void process(benchmark::State& state, const EffectIdentity& identity, Case c)
{
    const int frames = static_cast<int>(state.range(0));
    NelAmbiEncEdit effect(quietHost, identity);
    configure(effect, c);
    std::vector<float> input(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        input[static_cast<size_t>(i)] = 0.5f * std::sin(0.031f * static_cast<float>(i));
    std::vector<std::vector<float>> out(static_cast<size_t>(identity.numOutputs),
                                        std::vector<float>(static_cast<size_t>(frames)));
    std::vector<float*> outs;
    for (auto& channel : out)
        outs.push_back(channel.data());
    float* in = input.data();
    // Let the smoothers settle first, as they do while a source stands still.
    for (int n = 0; n < 20000 / frames + 20; ++n)
        effect.processReplacing(&in, outs.data(), frames);

    int step = 0;
    for (auto _ : state) {
        if (c == MovingSource) {
            // A slow circle of 1.5 m in the horizontal plane, one change per block.
            const float a = 0.001f * static_cast<float>(step++ % 6283);
            effect.setParameter(2, (1.5f * std::cos(a) + 4.0f) * 0.125f);
            effect.setParameter(3, (1.5f * std::sin(a) + 4.0f) * 0.125f);
        }
        effect.processReplacing(&in, outs.data(), frames);
        benchmark::DoNotOptimize(outs.back()[frames - 1]);
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void fuma(benchmark::State& state, Case c)
{
    process(state, EffectIdentity::fuma(), c);
}

void ambix(benchmark::State& state, Case c)
{
    process(state, EffectIdentity::ambix(), c);
}

} // namespace

BENCHMARK_CAPTURE(fuma, compensation_off, CompensationOff)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(ambix, compensation_off, CompensationOff)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(fuma, near_source, NearSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(ambix, near_source, NearSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(fuma, far_source, FarSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(ambix, far_source, FarSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(fuma, moving_source, MovingSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(ambix, moving_source, MovingSource)->Arg(64)->Arg(512);
