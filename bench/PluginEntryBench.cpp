// Cost per frame of whole plug-ins as a DAW runs them: each shared object is
// loaded by path, instantiated through VSTPluginMain and driven only through
// its effect record (processReplacing, setParameter), with a host callback
// that answers like a quiet host. Because nothing of the plug-in is linked
// in, one program times any build of it, older ones included
// (scripts/bench-compare.sh), in one run: every scene on every plug-in,
// round after round, so that the machine's load falls alike on all of them.
//
//   velmora_entry_bench [--plugin=LABEL=PATH ...] [--ratio=A/B ...] [--rounds=N] [--seconds=S]
//                       [--alignment=BYTES] [Google Benchmark flags]
//
// Without --plugin it times this build's two plug-ins, "fuma" and "ambix",
// and compares ambix/fuma.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/LoadedPlugin.h"
#include "bench/RoundsReporter.h"

namespace {

// Normalised parameter values (index 0 azimuth, 5 distance, 6 compensation).
constexpr int kAzimuth = 0;
constexpr int kDistance = 5;
constexpr int kCompensation = 6;
constexpr float kAzimuthValue = 0.6f / 6.2831853f; // 0.6 rad, as the engine benchmark
constexpr float kOneMetre = 0.75f;
constexpr float kCompensationOff = 1.0f;
constexpr float kCompensationTwoMetres = 1.5f / 3.5f;
constexpr float kSampleRate = 48000.0f;
// Automation sweeps the azimuth through a full turn in this many blocks.
constexpr int kSweepBlocks = 4096;

struct Scene {
    const char* name;
    int frames;
    float compensation;
    // Azimuth set through setParameter before every block, from the thread
    // that processes, as host automation does.
    bool automatedAzimuth;
};

const Scene kScenes[] = {
    {"compensation_off/512", 512, kCompensationOff, false},
    {"near_source/512", 512, kCompensationTwoMetres, false},
    {"near_automated/64", 64, kCompensationTwoMetres, true},
};

// What the host is told per processed block: automation reports of the
// parameters a change moved.
long long hostReports = 0;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterAutomate)
        ++hostReports;
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// One mono input and as many outputs as the plug-in has, each channel a
// buffer of its own that starts on an `alignment`-byte boundary. Where a
// buffer starts matters: clearing a channel that shares its first and last
// cache lines with its neighbours costs about half as much again.
class Buffers {
public:
    Buffers(int outputs, int frames, size_t alignment)
    {
        const size_t bytes = (sizeof(float) * static_cast<size_t>(frames) + alignment - 1) / alignment * alignment;
        for (int c = 0; c <= outputs; ++c) {
            float* channel = static_cast<float*>(std::aligned_alloc(alignment, bytes));
            if (channel == nullptr)
                throw std::bad_alloc();
            std::memset(channel, 0, bytes);
            channels_.emplace_back(channel, &std::free);
        }
        for (int i = 0; i < frames; ++i)
            channels_[0].get()[i] = 0.5f * std::sin(0.031f * static_cast<float>(i));
        inputPointer_ = channels_[0].get();
        for (int c = 1; c <= outputs; ++c)
            outputPointers_.push_back(channels_[static_cast<size_t>(c)].get());
        last_ = outputPointers_.back() + frames - 1;
    }
    float** inputs() { return &inputPointer_; }
    float** outputs() { return outputPointers_.data(); }
    float lastSample() const { return *last_; }

private:
    std::vector<std::unique_ptr<float, decltype(&std::free)>> channels_;
    std::vector<float*> outputPointers_;
    float* inputPointer_ = nullptr;
    const float* last_ = nullptr;
};

void configure(AEffect* effect, const Scene& scene)
{
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kSampleRate);
    effect->dispatcher(effect, effSetBlockSize, 0, scene.frames, nullptr, 0.0f);
    effect->setParameter(effect, kCompensation, scene.compensation);
    effect->setParameter(effect, kAzimuth, kAzimuthValue);
    effect->setParameter(effect, kDistance, kOneMetre);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
}

float sweptAzimuth(int block)
{
    return static_cast<float>(block % kSweepBlocks) / static_cast<float>(kSweepBlocks);
}

void runScene(benchmark::State& state, const LoadedPlugin& plugin, const Scene& scene, size_t alignment)
{
    AEffect* effect = plugin.instantiate(quietHost);
    if (effect == nullptr) {
        state.SkipWithError("the plug-in did not start");
        return;
    }
    configure(effect, scene);
    Buffers buffers(effect->numOutputs, scene.frames, alignment);
    // Let the glides settle first, as they do while a source stands still.
    for (int n = 0; n < 20000 / scene.frames + 20; ++n)
        effect->processReplacing(effect, buffers.inputs(), buffers.outputs(), scene.frames);

    int block = 0;
    const long long reportsBefore = hostReports;
    for (auto _ : state) {
        if (scene.automatedAzimuth)
            effect->setParameter(effect, kAzimuth, sweptAzimuth(block++));
        effect->processReplacing(effect, buffers.inputs(), buffers.outputs(), scene.frames);
        benchmark::DoNotOptimize(buffers.lastSample());
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(scene.frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["reports_per_block"] =
        benchmark::Counter(static_cast<double>(hostReports - reportsBefore), benchmark::Counter::kAvgIterations);
    LoadedPlugin::release(effect);
}

struct Options {
    std::vector<std::unique_ptr<LoadedPlugin>> plugins;
    std::vector<RoundsReporter::Ratio> ratios;
    int rounds = 3;
    double seconds = 1.0;
    // Of each channel buffer's start. Hosts that align their buffers for
    // vector code give 16, 32 or 64 bytes; 64 is a whole cache line.
    size_t alignment = 64;
};

bool takeValue(const char* argument, const char* flag, std::string& value)
{
    const size_t length = std::strlen(flag);
    if (std::strncmp(argument, flag, length) != 0)
        return false;
    value = argument + length;
    return true;
}

void addPlugin(Options& options, const std::string& option)
{
    const size_t equals = option.find('=');
    if (equals == std::string::npos || equals == 0)
        throw std::runtime_error("--plugin wants LABEL=PATH, not " + option);
    options.plugins.push_back(std::make_unique<LoadedPlugin>(option.substr(0, equals), option.substr(equals + 1)));
}

void addRatio(Options& options, const std::string& option)
{
    const size_t slash = option.find('/');
    if (slash == std::string::npos)
        throw std::runtime_error("--ratio wants A/B, not " + option);
    options.ratios.push_back({option.substr(0, slash), option.substr(slash + 1)});
}

size_t parseAlignment(const std::string& text)
{
    const unsigned long value = std::stoul(text);
    if (value < sizeof(float) || (value & (value - 1)) != 0)
        throw std::runtime_error("--alignment wants a power of two of at least 4, not " + text);
    return value;
}

// Takes this program's own flags out of argv and leaves Google Benchmark's.
Options parseOptions(int& argc, char** argv)
{
    Options options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeValue(argv[i], "--plugin=", value))
            addPlugin(options, value);
        else if (takeValue(argv[i], "--ratio=", value))
            addRatio(options, value);
        else if (takeValue(argv[i], "--rounds=", value))
            options.rounds = std::max(1, std::stoi(value));
        else if (takeValue(argv[i], "--seconds=", value))
            options.seconds = std::stod(value);
        else if (takeValue(argv[i], "--alignment=", value))
            options.alignment = parseAlignment(value);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (options.plugins.empty()) {
        options.plugins.push_back(std::make_unique<LoadedPlugin>("fuma", VELMORA_FUMA_PLUGIN));
        options.plugins.push_back(std::make_unique<LoadedPlugin>("ambix", VELMORA_AMBIX_PLUGIN));
        if (options.ratios.empty())
            options.ratios.push_back({"ambix", "fuma"});
    }
    return options;
}

void registerRounds(const Options& options)
{
    for (int round = 1; round <= options.rounds; ++round)
        for (const Scene& scene : kScenes)
            for (const auto& plugin : options.plugins) {
                const LoadedPlugin* loaded = plugin.get();
                const size_t alignment = options.alignment;
                benchmark::RegisterBenchmark(
                    RoundsReporter::runName(scene.name, loaded->label(), round).c_str(),
                    [loaded, &scene, alignment](benchmark::State& state) { runScene(state, *loaded, scene, alignment); })
                    ->MinTime(options.seconds);
            }
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora_entry_bench: %s\n", e.what());
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    registerRounds(options);
    RoundsReporter reporter(isatty(fileno(stdout)) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::vector<std::string> scenes, labels;
    for (const Scene& scene : kScenes)
        scenes.push_back(scene.name);
    for (const auto& plugin : options.plugins)
        labels.push_back(plugin->label());
    reporter.printSummary(std::cout, scenes, labels, options.rounds, options.ratios);
    benchmark::Shutdown();
    return 0;
}
