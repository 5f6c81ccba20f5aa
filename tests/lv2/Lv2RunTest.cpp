// The DSP object loaded as a host loads it: the same sound as the VST 2.x
// plug-ins, whatever lengths the host cuts run() into, in place or not, and
// nothing bad from bad input.
#include "effect/ParameterTable.h"
#include "tests/effect/LoadedEffect.h"
#include "tests/lv2/Lv2Instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr const char* kFuMa = "urn:corvane:velmora-xy3-2d";
constexpr const char* kAmbiX = "urn:corvane:velmora-xy3-2d-ambix";
constexpr int kSilentAcn[] = {2, 5, 6, 7, 10, 11, 12, 13, 14};

namespace port {
enum Index : uint32_t { azimuth, elevation, distance, compensation, posX, posY, posZ };
}
using Port = port::Index;

struct Format {
    const char* uri;
    const char* vstPath;
    int outputs;
};
void PrintTo(const Format& format, std::ostream* out)
{
    *out << format.uri;
}

const Format kFormats[] = {{kFuMa, VELMORA_PLUGIN_PATH, 7}, {kAmbiX, VELMORA_AMBIX_PLUGIN_PATH, 16}};

// A change a host makes between two runs: port, value in the port's units.
struct Change {
    size_t frame;
    Port port;
    float value;
};

// The source circles, comes close with compensation on, rises and goes
// far again: every glide and filter path.
const std::vector<Change> kMovingScene = {
    {0, port::azimuth, 30.0f},        {4096, port::azimuth, 90.0f},      {8192, port::distance, 1.5f},
    {8192, port::compensation, 2.0f}, {12288, port::azimuth, 200.0f},    {16384, port::distance, 0.3f},
    {20480, port::elevation, 40.0f},  {24576, port::compensation, 4.0f}, {28672, port::distance, 4.0f},
    {30720, port::azimuth, 271.0f},
};
constexpr size_t kSceneFrames = 36000;

// The parameter a port stands for, and a port value as the VST 2.x
// plug-in's normalised value.
int parameterOf(Port port)
{
    const int parameters[] = {::kAzimuth, ::kElevation, ::kDistance, ::kCompensationDistance};
    return parameters[port];
}
float normalised(Port port, float value)
{
    return ParameterTable::normalisedFromUser(parameterOf(port), value);
}

// The scene through the LV2 object: changes applied between runs, the rest
// in runs of `block` frames.
std::vector<std::vector<float>> lv2Render(const Format& format, const std::vector<Change>& scene,
                                          const std::vector<float>& input, uint32_t block)
{
    Lv2Instance lv2(format.uri, format.outputs);
    std::vector<std::vector<float>> out(static_cast<size_t>(format.outputs));
    size_t done = 0;
    size_t next = 0;
    while (done < input.size()) {
        while (next < scene.size() && scene[next].frame <= done)
            lv2.control[scene[next].port] = scene[next].value, ++next;
        size_t end = std::min(input.size(), done + block);
        if (next < scene.size())
            end = std::min(end, scene[next].frame);
        const std::vector<float> part(input.begin() + static_cast<long>(done), input.begin() + static_cast<long>(end));
        const auto rendered = lv2.render(part, {static_cast<uint32_t>(end - done)});
        for (int c = 0; c < format.outputs; ++c)
            out[static_cast<size_t>(c)].insert(out[static_cast<size_t>(c)].end(), rendered[static_cast<size_t>(c)].begin(),
                                               rendered[static_cast<size_t>(c)].end());
        done = end;
    }
    return out;
}

// The same scene through the VST 2.x plug-in: setParameter between blocks,
// the first changes before it starts, as a host resumes it.
std::vector<std::vector<float>> vstRender(const Format& format, const std::vector<Change>& scene,
                                          const std::vector<float>& input, int block)
{
    LoadedEffect vst(format.vstPath, nullptr);
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    vst.dispatch(effSetBlockSize, 0, block);
    size_t next = 0;
    while (next < scene.size() && scene[next].frame == 0)
        vst.set(parameterOf(scene[next].port), normalised(scene[next].port, scene[next].value)), ++next;
    vst.dispatch(effMainsChanged, 0, 1);
    std::vector<std::vector<float>> out(static_cast<size_t>(format.outputs), std::vector<float>(input.size()));
    std::vector<float*> outputs(static_cast<size_t>(format.outputs));
    size_t done = 0;
    while (done < input.size()) {
        while (next < scene.size() && scene[next].frame <= done)
            vst.set(parameterOf(scene[next].port), normalised(scene[next].port, scene[next].value)), ++next;
        size_t end = std::min(input.size(), done + static_cast<size_t>(block));
        if (next < scene.size())
            end = std::min(end, scene[next].frame);
        for (int c = 0; c < format.outputs; ++c)
            outputs[static_cast<size_t>(c)] = out[static_cast<size_t>(c)].data() + done;
        float* in[] = {const_cast<float*>(input.data() + done)};
        vst.record()->processReplacing(vst.record(), in, outputs.data(), static_cast<VstInt32>(end - done));
        done = end;
    }
    return out;
}

float peakOf(const std::vector<float>& channel)
{
    float peak = 0.0f;
    for (float s : channel)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

// Largest difference over all channels, relative to W's peak.
double relativeDifference(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b)
{
    double largest = 0.0;
    for (size_t c = 0; c < a.size(); ++c)
        for (size_t i = 0; i < a[c].size(); ++i)
            largest = std::max(largest, std::fabs(static_cast<double>(a[c][i]) - b[c][i]));
    return largest / peakOf(a[0]);
}

class Lv2Run : public ::testing::TestWithParam<Format> {};

TEST_P(Lv2Run, SoundsAsTheVstPluginForAFixedAndAMovingSource)
{
    const Format format = GetParam();
    const std::vector<float> input = testSignal(kSceneFrames);
    const std::vector<Change> fixed = {{0, port::azimuth, 135.0f}, {0, port::distance, 1.0f}, {0, port::compensation, 2.0f}};
    EXPECT_LE(relativeDifference(vstRender(format, fixed, input, 64), lv2Render(format, fixed, input, 64)), 1e-6);
    EXPECT_LE(relativeDifference(vstRender(format, kMovingScene, input, 64), lv2Render(format, kMovingScene, input, 64)),
              1e-6);
}

TEST_P(Lv2Run, GivesTheSameSamplesWhateverTheRunLengths)
{
    const Format format = GetParam();
    const std::vector<float> input = testSignal(kSceneFrames);
    const auto reference = lv2Render(format, kMovingScene, input, 4096);
    for (uint32_t block : {1u, 7u, 64u})
        EXPECT_EQ(reference, lv2Render(format, kMovingScene, input, block)) << "runs of " << block;

    // Random cuts, changes still between the same two frames.
    std::mt19937 random(7);
    Lv2Instance lv2(format.uri, format.outputs);
    std::vector<uint32_t> lengths(200);
    for (auto& n : lengths)
        n = std::uniform_int_distribution<uint32_t>(1, 700)(random);
    lv2.control[port::azimuth] = 30.0f;
    lv2.control[port::distance] = 1.5f;
    lv2.control[port::compensation] = 2.0f;
    Lv2Instance whole(format.uri, format.outputs);
    std::copy(lv2.control, lv2.control + 4, whole.control);
    EXPECT_EQ(whole.render(input, {static_cast<uint32_t>(input.size())}), lv2.render(input, lengths));
}

TEST_P(Lv2Run, ProcessesInPlaceOnAnyOutput)
{
    const Format format = GetParam();
    const std::vector<float> input = testSignal(4096);
    Lv2Instance apart(format.uri, format.outputs);
    apart.control[port::azimuth] = 60.0f;
    apart.control[port::distance] = 1.0f;
    apart.control[port::compensation] = 2.0f;
    const auto expected = apart.render(input, {256});
    for (int shared = 0; shared < format.outputs; ++shared) {
        Lv2Instance inPlace(format.uri, format.outputs);
        std::copy(apart.control, apart.control + 4, inPlace.control);
        std::vector<std::vector<float>> out(static_cast<size_t>(format.outputs), std::vector<float>(input.size()));
        out[static_cast<size_t>(shared)] = input;
        std::vector<float*> pointers;
        for (auto& channel : out)
            pointers.push_back(channel.data());
        for (size_t done = 0; done < input.size(); done += 256) {
            std::vector<float*> at;
            for (float* p : pointers)
                at.push_back(p + done);
            inPlace.run(at[static_cast<size_t>(shared)], at, 256);
        }
        EXPECT_EQ(expected, out) << "input shared with output " << shared;
    }
}

TEST_P(Lv2Run, StartsFromRestAtEveryActivation)
{
    const Format format = GetParam();
    const std::vector<float> input = testSignal(8192);
    Lv2Instance fresh(format.uri, format.outputs);
    fresh.control[port::azimuth] = 250.0f;
    fresh.control[port::distance] = 0.7f;
    fresh.control[port::compensation] = 1.0f;
    const auto expected = fresh.render(input, {64});

    Lv2Instance used(format.uri, format.outputs);
    used.control[port::azimuth] = 10.0f;
    used.render(input, {64});
    std::copy(fresh.control, fresh.control + 4, used.control);
    used.activate();
    EXPECT_EQ(expected, used.render(input, {64}));
}

TEST_P(Lv2Run, FollowsThePositionOnItsOutputsEvenInARunOfNoFrames)
{
    const Format format = GetParam();
    Lv2Instance lv2(format.uri, format.outputs);
    std::vector<float*> none(static_cast<size_t>(format.outputs), nullptr);
    lv2.run(nullptr, none, 0);
    EXPECT_FLOAT_EQ(4.0f, lv2.control[port::posX]);
    EXPECT_FLOAT_EQ(0.0f, lv2.control[port::posY]);
    lv2.control[port::azimuth] = 90.0f;
    lv2.control[port::distance] = 2.0f;
    lv2.run(nullptr, none, 0);
    EXPECT_NEAR(0.0f, lv2.control[port::posX], 1e-6);
    EXPECT_FLOAT_EQ(2.0f, lv2.control[port::posY]);
    lv2.control[port::elevation] = 90.0f;
    lv2.run(nullptr, none, 0);
    EXPECT_FLOAT_EQ(2.0f, lv2.control[port::posZ]);
}

TEST_P(Lv2Run, IgnoresValuesThatAreNotNumbersOrFarOutOfRangeAndPortsLeftUnconnected)
{
    const Format format = GetParam();
    const std::vector<float> input = testSignal(4096);
    Lv2Instance good(format.uri, format.outputs);
    good.control[port::azimuth] = 45.0f;
    good.control[port::distance] = 1.0f;
    const auto expected = good.render(input, {512});

    Lv2Instance bad(format.uri, format.outputs);
    bad.control[port::azimuth] = 45.0f;
    bad.control[port::distance] = 1.0f;
    std::vector<std::vector<float>> got;
    const float badValues[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), 1e30f};
    for (int run = 0; run < 8; ++run) {
        const std::vector<float> part(input.begin() + run * 512, input.begin() + (run + 1) * 512);
        if (run > 0) {
            bad.control[port::azimuth] = badValues[run % 4];
            bad.control[port::distance] = badValues[(run + 1) % 4];
        }
        const auto rendered = bad.render(part, {512});
        got.resize(rendered.size());
        for (size_t c = 0; c < rendered.size(); ++c)
            got[c].insert(got[c].end(), rendered[c].begin(), rendered[c].end());
        EXPECT_TRUE(std::isfinite(bad.control[port::posX]) && std::isfinite(bad.control[port::posY]));
    }
    EXPECT_EQ(expected, got);

    // Unconnected, the elevation port is not read: nothing changes.
    Lv2Instance unconnected(format.uri, format.outputs);
    unconnected.control[port::azimuth] = 45.0f;
    unconnected.control[port::distance] = 1.0f;
    unconnected.connect(port::elevation, nullptr);
    EXPECT_EQ(expected, unconnected.render(input, {512}));
}

TEST_P(Lv2Run, RefusesRatesItCannotRunAtAndAMissingBundle)
{
    const char* uri = GetParam().uri;
    EXPECT_TRUE(Lv2Instance::instantiates(uri, 44100.0, VELMORA_LV2_BUNDLE));
    for (double rate : {0.0, -48000.0, std::nan(""), HUGE_VAL})
        EXPECT_FALSE(Lv2Instance::instantiates(uri, rate, VELMORA_LV2_BUNDLE)) << rate;
    EXPECT_FALSE(Lv2Instance::instantiates(uri, 48000.0, nullptr));
    EXPECT_FALSE(Lv2Instance::instantiates(uri, 48000.0, ""));
}

INSTANTIATE_TEST_SUITE_P(BothPlugins, Lv2Run, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return info.param.outputs == 7 ? "FuMa" : "AmbiX"; });

TEST(Lv2AmbiX, WritesExactZerosToTheChannelsWithHeightOnEveryRun)
{
    Lv2Instance lv2(kAmbiX, 16);
    lv2.control[port::azimuth] = 33.0f;
    lv2.control[port::distance] = 1.0f;
    lv2.control[port::compensation] = 2.0f;
    const auto out = lv2.render(testSignal(3000), {1, 7, 64, 333});
    for (int acn : kSilentAcn)
        for (float s : out[static_cast<size_t>(acn)])
            ASSERT_EQ(0.0f, s) << "ACN " << acn; // NaN before each run: a missed run shows
    EXPECT_GT(peakOf(out[1]), 0.1f);
}

TEST(Lv2Descriptor, NamesBothPluginsAndNothingElse)
{
    EXPECT_NE(nullptr, Lv2Instance::descriptor(kFuMa));
    EXPECT_NE(nullptr, Lv2Instance::descriptor(kAmbiX));
    EXPECT_EQ(nullptr, Lv2Instance::descriptor("urn:corvane:velmora-xy3-2d-other"));
}

} // namespace
