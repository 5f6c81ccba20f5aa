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

// Hosts automate from one thread while the user moves a control in a generic
// parameter window on another: the two writers must not corrupt the position.
TEST(EffectConcurrent, TwoControlThreadsWhileProcessing)
{
    LoadedEffect fx;
    fx.dispatch(effMainsChanged, 0, 1);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        const std::vector<float> input(64, 1.0f);
        while (!done.load())
            for (const auto& channel : fx.run(input))
                for (float s : channel)
                    ASSERT_TRUE(std::isfinite(s));
    });
    auto automate = [&](int first) {
        char text[256];
        for (int round = 0; round < 2000; ++round) {
            const int index = (first + round) % 7;
            fx.set(index, static_cast<float>(round % 11) / 10.0f);
            fx.get(index);
            fx.dispatch(effGetParamDisplay, index, 0, text);
        }
    };
    std::thread gui(automate, 3);
    automate(0);
    gui.join();
    done.store(true);
    audio.join();
    // The two views of the position still agree after the storm.
    fx.set(3, 0.5f);
    fx.set(4, 0.5f);
    fx.set(2, 0.75f);
    EXPECT_FLOAT_EQ(fx.get(2), 0.75f);
}

} // namespace
