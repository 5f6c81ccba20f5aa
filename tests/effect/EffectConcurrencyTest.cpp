// A host's two threads at once: one automating parameters, switching
// programs and changing the sample rate, the other processing blocks. Run
// under ThreadSanitizer, any data race between them is a failure.

#include "tests/effect/LoadedEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

TEST(EffectConcurrent, AutomationWhileProcessing)
{
    LoadedEffect fx;
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    fx.dispatch(effMainsChanged, 0, 1);
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        const std::vector<float> input(128, 0.5f);
        while (!done.load()) {
            for (const auto& channel : fx.run(input))
                for (float s : channel)
                    ASSERT_TRUE(std::isfinite(s));
            ++blocks;
        }
    });
    // Keep changing things until the audio thread has run a good many blocks
    // alongside.
    for (int round = 0; round < 3000 || blocks.load() < 500; ++round) {
        const float v = static_cast<float>(round % 17) / 16.0f;
        fx.set(round % 7, v);
        if (round % 50 == 0)
            fx.dispatch(effSetProgram, 0, (round / 50) % 16);
        if (round % 70 == 0)
            fx.dispatch(effSetSampleRate, 0, 0, nullptr, round % 140 == 0 ? 44100.0f : 96000.0f);
        char text[256];
        fx.dispatch(effGetParamDisplay, round % 7, 0, text);
    }
    done.store(true);
    audio.join();
}

} // namespace
