// How long setParameter takes on a host's audio thread while two other
// threads keep the control side busy: one switching and renaming programs,
// the other driving the editor (idle passes and its own automation). Reports
// the median, the 99.9th percentile and the largest single call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "vst/NelAmbiEncEdit.h"
#include "plugin/AEffEditor.h"

namespace {

VstIntPtr benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

double percentile(std::vector<double>& sorted, double fraction)
{
    const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(fraction * sorted.size()));
    return sorted[at];
}

void SetParameterUnderContention(benchmark::State& state)
{
    NelAmbiEncEdit effect(benchHost);
    AEffEditor* editor = effect.getEditor();
    std::atomic<bool> done{false};

    std::thread programs([&] {
        char name[24];
        for (int round = 0; !done.load(std::memory_order_relaxed); ++round) {
            effect.setProgram(round % NelAmbiEnc::kNumPrograms);
            std::snprintf(name, sizeof name, "Take %d", round % 1000);
            effect.setProgramName(name);
        }
    });
    std::thread gui([&] {
        if (editor)
            editor->open(nullptr); // a frame without a system window
        char text[64];
        for (int round = 0; !done.load(std::memory_order_relaxed); ++round) {
            effect.setParameterAutomated(round % 2 ? 2 : 3, (round % 100) * 0.01f);
            effect.getParameterDisplay(round % 7, text);
            if (editor)
                editor->idle();
        }
        if (editor)
            editor->close();
    });

    std::vector<double> nanoseconds;
    nanoseconds.reserve(1 << 20);
    int round = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        effect.setParameter(round % 7, (round % 97) * 0.01f);
        const auto end = std::chrono::steady_clock::now();
        nanoseconds.push_back(std::chrono::duration<double, std::nano>(end - start).count());
        ++round;
    }
    done.store(true);
    programs.join();
    gui.join();

    std::sort(nanoseconds.begin(), nanoseconds.end());
    state.counters["median_ns"] = percentile(nanoseconds, 0.5);
    state.counters["p99.9_ns"] = percentile(nanoseconds, 0.999);
    state.counters["max_ns"] = nanoseconds.back();
}

} // namespace

BENCHMARK(SetParameterUnderContention)->Iterations(500000)->UseRealTime()->Unit(benchmark::kNanosecond);
