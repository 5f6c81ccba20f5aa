// Cost of the encoder's process() for the plug-in's layout, per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/EncoderKernels.h"
#include "dsp/NelAmbisonicEncoder.h"

namespace {

enum Case { CompensationOff, NearSource, FarSource, MovingSource, MovingWithoutCompensation };

void configure(NelAmbisonicEncoder& enc, Case c)
{
    enc.compDistance = c == CompensationOff || c == MovingWithoutCompensation ? 4.0f : 2.0f;
    enc.distance = c == FarSource ? 4.0f : 1.0f;
    enc.filterDistance = enc.distance;
    enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    enc.azimuth = 0.6f;
    enc.UpdatePolarCoords();
    enc.resume();
}

void encode(benchmark::State& state, Case c)
{
    const int frames = static_cast<int>(state.range(0));
    NelAmbisonicEncoder enc(Order3H0V);
    configure(enc, c);
    std::vector<float> input(frames);
    for (int i = 0; i < frames; ++i)
        input[i] = 0.5f * std::sin(0.031f * i);
    std::vector<std::vector<float>> out(7, std::vector<float>(frames));
    float* outs[7];
    for (int j = 0; j < 7; ++j)
        outs[j] = out[j].data();
    const float* in = input.data();
    // Let the smoothers settle first, as they do while a source stands still.
    for (int n = 0; n < 20000 / frames + 20; ++n)
        enc.process(&in, outs, frames);

    int step = 0;
    for (auto _ : state) {
        if (c == MovingSource || c == MovingWithoutCompensation) {
            // A slow circle in the horizontal plane, one update per block.
            const float a = 0.001f * static_cast<float>(step++ % 6283);
            enc.x = 1.5f * std::cos(a);
            enc.y = 1.5f * std::sin(a);
            enc.UpdateRectCoords();
        }
        enc.process(&in, outs, frames);
        benchmark::DoNotOptimize(out[6][frames - 1]);
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The same with the kernels every x86 processor runs, where the default
// took the AVX ones: what a processor without AVX gets.
void encode_sse2(benchmark::State& state, Case c)
{
    EncoderKernels::choose(EncoderKernels::InstructionSet::Sse2);
    encode(state, c);
    EncoderKernels::choose(EncoderKernels::best());
}

} // namespace

BENCHMARK_CAPTURE(encode, compensation_off, CompensationOff)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(encode, near_source, NearSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(encode, far_source, FarSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(encode, moving_source, MovingSource)->Arg(64)->Arg(512);
// Not a goal of its own: shows what gliding gains cost with compensation off.
BENCHMARK_CAPTURE(encode, moving_without_compensation, MovingWithoutCompensation)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(encode_sse2, compensation_off, CompensationOff)->Arg(512);
BENCHMARK_CAPTURE(encode_sse2, near_source, NearSource)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(encode_sse2, moving_source, MovingSource)->Arg(64);

BENCHMARK_MAIN();
