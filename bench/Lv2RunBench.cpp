// Cost per frame of the LV2 plug-ins' run() against the VST 2.x plug-ins'
// processReplacing on the same scenes: both drive the same encoder through
// the same rules, so the goal is at most 1.1x. The automated scene changes
// the azimuth before every 64-frame block: a control port between two runs
// for LV2, setParameter on the audio thread for VST 2.x.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effect/EffectIdentity.h"
#include "effect/ParameterTable.h"
#include "lv2/Lv2Encoder.h"
#include "vst/NelAmbiEncEdit.h"

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

enum Scene { CompensationOff, NearSource, NearAutomated };

struct Position {
    float azimuthDegrees;
    float distance;
    float compensation;
};

Position positionOf(Scene scene)
{
    return scene == CompensationOff ? Position{34.4f, 1.0f, 4.0f} : Position{34.4f, 1.0f, 2.0f};
}

// The azimuth of block `n` in the automated scene: a slow circle.
float automatedAzimuth(int n)
{
    return static_cast<float>(n % 3600) * 0.1f;
}

struct Buffers {
    explicit Buffers(int channels, int frames)
        : input(static_cast<size_t>(frames)),
          out(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames)))
    {
        for (int i = 0; i < frames; ++i)
            input[static_cast<size_t>(i)] = 0.5f * std::sin(0.031f * static_cast<float>(i));
        for (auto& channel : out)
            pointers.push_back(channel.data());
    }
    std::vector<float> input;
    std::vector<std::vector<float>> out;
    std::vector<float*> pointers;
};

void countFrames(benchmark::State& state, int frames)
{
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void vst(benchmark::State& state, const EffectIdentity& identity, Scene scene)
{
    const int frames = static_cast<int>(state.range(0));
    NelAmbiEncEdit effect(quietHost, identity);
    const Position p = positionOf(scene);
    effect.setSampleRate(48000.0f);
    effect.setParameter(kAzimuth, ParameterTable::normalisedFromUser(kAzimuth, p.azimuthDegrees));
    effect.setParameter(kDistance, ParameterTable::normalisedFromUser(kDistance, p.distance));
    effect.setParameter(kCompensationDistance, ParameterTable::normalisedFromUser(kCompensationDistance, p.compensation));
    effect.resume();
    Buffers buffers(identity.numOutputs, frames);
    float* in = buffers.input.data();
    int block = 0;
    for (auto _ : state) {
        if (scene == NearAutomated)
            effect.setParameter(kAzimuth, ParameterTable::normalisedFromUser(kAzimuth, automatedAzimuth(block++)));
        effect.processReplacing(&in, buffers.pointers.data(), frames);
        benchmark::DoNotOptimize(buffers.out.back()[static_cast<size_t>(frames) - 1]);
    }
    countFrames(state, frames);
}

void lv2(benchmark::State& state, const Lv2PluginInfo& info, Scene scene)
{
    const int frames = static_cast<int>(state.range(0));
    auto plugin = Lv2Encoder::create(info, 48000.0);
    const Position p = positionOf(scene);
    float controls[Lv2PluginInfo::kInputPort] = {p.azimuthDegrees, 0.0f, p.distance, p.compensation};
    for (uint32_t port = 0; port < Lv2PluginInfo::kInputPort; ++port)
        plugin->connect(port, &controls[port]);
    Buffers buffers(info.identity.numOutputs, frames);
    plugin->connect(Lv2PluginInfo::kInputPort, buffers.input.data());
    for (int c = 0; c < info.identity.numOutputs; ++c)
        plugin->connect(Lv2PluginInfo::kFirstOutputPort + static_cast<uint32_t>(c), buffers.pointers[static_cast<size_t>(c)]);
    plugin->activate();
    int block = 0;
    for (auto _ : state) {
        if (scene == NearAutomated)
            controls[Lv2PluginInfo::kAzimuthPort] = automatedAzimuth(block++);
        plugin->run(static_cast<uint32_t>(frames));
        benchmark::DoNotOptimize(buffers.out.back()[static_cast<size_t>(frames) - 1]);
    }
    countFrames(state, frames);
}

void vst_fuma(benchmark::State& state, Scene scene)
{
    vst(state, EffectIdentity::fuma(), scene);
}
void lv2_fuma(benchmark::State& state, Scene scene)
{
    lv2(state, Lv2PluginInfo::fuma(), scene);
}
void vst_ambix(benchmark::State& state, Scene scene)
{
    vst(state, EffectIdentity::ambix(), scene);
}
void lv2_ambix(benchmark::State& state, Scene scene)
{
    lv2(state, Lv2PluginInfo::ambix(), scene);
}

} // namespace

BENCHMARK_CAPTURE(vst_fuma, compensation_off, CompensationOff)->Arg(512);
BENCHMARK_CAPTURE(lv2_fuma, compensation_off, CompensationOff)->Arg(512);
BENCHMARK_CAPTURE(vst_fuma, near_source, NearSource)->Arg(512);
BENCHMARK_CAPTURE(lv2_fuma, near_source, NearSource)->Arg(512);
BENCHMARK_CAPTURE(vst_fuma, near_automated, NearAutomated)->Arg(64);
BENCHMARK_CAPTURE(lv2_fuma, near_automated, NearAutomated)->Arg(64);
BENCHMARK_CAPTURE(vst_ambix, compensation_off, CompensationOff)->Arg(512);
BENCHMARK_CAPTURE(lv2_ambix, compensation_off, CompensationOff)->Arg(512);
BENCHMARK_CAPTURE(vst_ambix, near_source, NearSource)->Arg(512);
BENCHMARK_CAPTURE(lv2_ambix, near_source, NearSource)->Arg(512);
BENCHMARK_CAPTURE(vst_ambix, near_automated, NearAutomated)->Arg(64);
BENCHMARK_CAPTURE(lv2_ambix, near_automated, NearAutomated)->Arg(64);
