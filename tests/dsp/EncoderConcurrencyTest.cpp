#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "dsp/NelAmbisonicEncoder.h"

namespace {

// One thread moves the source, changes distances, compensation and sample
// rate and resumes, as a host's parameter thread would; another renders
// blocks meanwhile. Under ThreadSanitizer this must report nothing, and the
// audio must stay finite throughout.
TEST(EncoderConcurrent, ParameterThreadAndAudioThreadShareNothingUnsafely)
{
    NelAmbisonicEncoder enc(Order3H0V);
    enc.resume();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};

    std::thread audio([&] {
        std::vector<std::vector<float>> out(7, std::vector<float>(256));
        std::vector<float*> ptrs(7);
        for (int j = 0; j < 7; ++j)
            ptrs[j] = out[j].data();
        std::vector<float> input(256);
        for (int i = 0; i < 256; ++i)
            input[i] = std::sin(0.05f * i);
        const float* in = input.data();
        bool finite = true;
        while (!stop.load(std::memory_order_relaxed)) {
            enc.process(&in, ptrs.data(), 256);
            for (const auto& ch : out)
                for (float v : ch)
                    finite = finite && std::isfinite(v);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
        EXPECT_TRUE(finite);
    });

    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    for (int n = 0; std::chrono::steady_clock::now() < end || blocks.load() < 20; ++n) {
        enc.x = -4.0f + 0.37f * static_cast<float>(n % 22);
        enc.UpdateRectCoords();
        enc.azimuth = 0.01f * static_cast<float>(n % 628);
        enc.UpdatePolarCoords();
        enc.distance = 0.1f * static_cast<float>(n % 41);
        enc.filterDistance = enc.distance < 0.5f ? 0.5f : enc.distance;
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.UpdatePolarCoords();
        enc.compDistance = n % 5 == 0 ? 4.0f : 0.5f + 0.1f * static_cast<float>(n % 35);
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.UpdatePolarCoords();
        if (n % 7 == 0) {
            enc.sampleRate = n % 2 ? 44100.0f : 96000.0f;
            enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        }
        if (n % 50 == 0)
            enc.resume();
    }
    stop = true;
    audio.join();
    EXPECT_GT(blocks.load(), 0);
}

} // namespace
