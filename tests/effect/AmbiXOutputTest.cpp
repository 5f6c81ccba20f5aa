// The AmbiX plug-in against the FuMa one, both loaded as a host loads them:
// same effect, its seven components scaled to SN3D and placed in ACN order,
// the nine channels with height exactly zero, and an identity of its own.

#include "tests/effect/LoadedEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kFuMaOutputs = 7;
constexpr int kAcnOutputs = 16;

// Written out here rather than taken from the sources under test: W X Y U V
// P Q go to ACN 0 3 1 8 4 15 9, scaled by sqrt(2), 1, 1, sqrt(3)/2 (twice)
// and sqrt(5/8) (twice).
const int kAcnOf[kFuMaOutputs] = {0, 3, 1, 8, 4, 15, 9};
const double kFactor[kFuMaOutputs] = {
    std::sqrt(2.0),      1.0, 1.0, std::sqrt(3.0) / 2.0, std::sqrt(3.0) / 2.0, std::sqrt(5.0 / 8.0),
    std::sqrt(5.0 / 8.0)};
const int kSilentAcn[] = {2, 5, 6, 7, 10, 11, 12, 13, 14};

// How far two renders of one signal at different magnitudes may part: the
// gain smoothers (weight 0.998) settle anywhere within float epsilon over
// 0.002 of their targets, about 6e-5 of the gain. Relative to W's peak, or
// to the component's own where the near-field filters lift it above W.
constexpr double kRounding = 6e-5;

using Channels = std::vector<std::vector<float>>;

struct Random {
    unsigned state;
    unsigned next()
    {
        state = state * 1103515245u + 12345u;
        return (state >> 9) & 0xffff;
    }
    float unit() { return static_cast<float>(next()) / 65535.0f; }
    int below(int n) { return static_cast<int>(next() % static_cast<unsigned>(n)); }
};

std::vector<float> noise(Random& random, size_t frames)
{
    std::vector<float> samples(frames);
    for (float& s : samples)
        s = 2.0f * random.unit() - 1.0f;
    return samples;
}

LoadedEffect fuma()
{
    return LoadedEffect(VELMORA_PLUGIN_PATH, nullptr);
}

std::string fourCharacters(VstInt32 id)
{
    return {static_cast<char>(id >> 24), static_cast<char>(id >> 16), static_cast<char>(id >> 8),
            static_cast<char>(id)};
}

// Runs both plug-ins through the same session and compares every block.
class TwinSession {
public:
    TwinSession() : fuma(VELMORA_PLUGIN_PATH, nullptr), ambix(VELMORA_AMBIX_PLUGIN_PATH, nullptr) {}

    template <typename Change> void both(Change change)
    {
        change(fuma);
        change(ambix);
    }

    void run(const std::vector<float>& input, const std::string& where)
    {
        const Channels f = fuma.run(input);
        const Channels a = ambix.run(input);
        ASSERT_EQ(f.size(), size_t(kFuMaOutputs));
        ASSERT_EQ(a.size(), size_t(kAcnOutputs));
        for (int c = 0; c < kFuMaOutputs; ++c)
            for (size_t i = 0; i < input.size(); ++i)
                peak[c] = std::max(peak[c], std::fabs(static_cast<double>(a[kAcnOf[c]][i])));
        for (int c = 0; c < kFuMaOutputs; ++c) {
            const double scale = std::max({peak[0], peak[c], 1e-3});
            for (size_t i = 0; i < input.size(); ++i) {
                const double expected = f[c][i] * kFactor[c];
                const double error = std::fabs(a[kAcnOf[c]][i] - expected) / scale;
                largestError = std::max(largestError, error);
                ASSERT_LE(error, kRounding)
                    << where << ": component " << c << " (ACN " << kAcnOf[c] << ") sample " << i << ": "
                    << a[kAcnOf[c]][i] << " for " << expected;
            }
        }
        for (int acn : kSilentAcn)
            for (size_t i = 0; i < input.size(); ++i)
                ASSERT_EQ(std::memcmp(&a[acn][i], "\0\0\0\0", 4), 0)
                    << where << ": ACN " << acn << " sample " << i << " is " << a[acn][i];
    }

    LoadedEffect fuma, ambix;
    double peak[kFuMaOutputs] = {}; // of each component so far; W first
    double largestError = 0.0; // relative, as checked
};

TEST(AmbiXPlugin, IdentityOfItsOwn)
{
    LoadedEffect fx(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    LoadedEffect first = fuma();
    const AEffect& r = *fx.record();
    EXPECT_EQ(fourCharacters(r.uniqueID), "Nb2a");
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, kAcnOutputs);
    EXPECT_EQ(fx.text(effGetEffectName), "Corvane Velmora XY 3 - 2d AmbiX") << "the whole name fits";
    EXPECT_EQ(fx.text(effGetProductString), "Corvane Velmora XY 3 - 2d AmbiX");
    EXPECT_EQ(fx.text(effGetVendorString), "CorVane");
    // Everything else as the first plug-in.
    const AEffect& f = *first.record();
    EXPECT_EQ(r.numParams, f.numParams);
    EXPECT_EQ(r.numPrograms, f.numPrograms);
    EXPECT_EQ(r.flags, f.flags);
    EXPECT_EQ(r.version, f.version);
    EXPECT_EQ(r.initialDelay, f.initialDelay);
    for (VstInt32 opcode : {effGetVendorVersion, effGetPlugCategory, effGetVstVersion})
        EXPECT_EQ(fx.dispatch(opcode), first.dispatch(opcode)) << "opcode " << opcode;
    for (int i = 0; i < f.numParams; ++i) {
        EXPECT_EQ(fx.text(effGetParamName, i), first.text(effGetParamName, i));
        EXPECT_EQ(fx.display(i), first.display(i));
    }
    for (int i = 0; i < f.numPrograms; ++i)
        EXPECT_EQ(fx.text(effGetProgramNameIndexed, i), first.text(effGetProgramNameIndexed, i));
}

TEST(AmbiXPlugin, PinsAreTheSixteenAcnChannels)
{
    LoadedEffect fx(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(fx.dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Mono Input");
    for (int i = 0; i < kAcnOutputs; ++i) {
        std::memset(&pin, 0x55, sizeof pin);
        EXPECT_EQ(fx.dispatch(effGetOutputProperties, i, 0, &pin), 1);
        EXPECT_EQ(std::string(pin.label), "ACN " + std::to_string(i));
        EXPECT_EQ(pin.flags, kVstPinIsActive);
    }
    std::memset(&pin, 0x55, sizeof pin);
    fx.dispatch(effGetOutputProperties, kAcnOutputs, 0, &pin);
    EXPECT_EQ(pin.label[0], 0x55) << "no label beyond the sixteen channels";
}

TEST(AmbiXPlugin, SpeakerArrangementIsMonoInAndSixteenUserDefinedOut)
{
    LoadedEffect fx(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    ASSERT_EQ(fx.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(in->type, kSpeakerArrMono);
    EXPECT_EQ(in->numChannels, 1);
    EXPECT_EQ(in->speakers[0].type, kSpeakerM);
    EXPECT_EQ(out->type, kSpeakerArrUserDefined);
    EXPECT_EQ(out->numChannels, kAcnOutputs);
    // Speakers beyond the eight the structure declares are part of the block.
    const auto* speakers = reinterpret_cast<const VstSpeakerProperties*>(
        reinterpret_cast<const char*>(out) + offsetof(VstSpeakerArrangement, speakers));
    for (int c = 0; c < kAcnOutputs; ++c) {
        EXPECT_EQ(std::string(speakers[c].name), "ACN " + std::to_string(c));
        EXPECT_EQ(speakers[c].type, kSpeakerUndefined);
    }
    // Asked again, the same arrangement: the host may keep the pointers.
    VstSpeakerArrangement* again = nullptr;
    fx.dispatch(effGetSpeakerArrangement, 0, 0, &again);
    EXPECT_EQ(again, out);

    // The FuMa plug-in declares none, as it always has.
    LoadedEffect first = fuma();
    in = out = reinterpret_cast<VstSpeakerArrangement*>(&fx);
    EXPECT_EQ(first.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST(AmbiXPlugin, BothPluginsSideBySideKeepTheirOwnIdentities)
{
    EXPECT_NE(LoadedEffect::library(VELMORA_PLUGIN_PATH), LoadedEffect::library(VELMORA_AMBIX_PLUGIN_PATH));
    // Interleaved creation, two of each alive at once.
    LoadedEffect f1 = fuma();
    LoadedEffect a1(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    LoadedEffect f2 = fuma();
    LoadedEffect a2(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    for (LoadedEffect* f : {&f1, &f2}) {
        EXPECT_EQ(fourCharacters(f->record()->uniqueID), "Nb2q");
        EXPECT_EQ(f->record()->numOutputs, kFuMaOutputs);
        EXPECT_EQ(f->text(effGetEffectName), "Corvane Velmora XY 3 - 2d");
        VstPinProperties pin{};
        f->dispatch(effGetOutputProperties, 1, 0, &pin);
        EXPECT_STREQ(pin.label, "X");
    }
    for (LoadedEffect* a : {&a1, &a2}) {
        EXPECT_EQ(fourCharacters(a->record()->uniqueID), "Nb2a");
        EXPECT_EQ(a->record()->numOutputs, kAcnOutputs);
        EXPECT_EQ(a->text(effGetEffectName), "Corvane Velmora XY 3 - 2d AmbiX");
        VstPinProperties pin{};
        a->dispatch(effGetOutputProperties, 1, 0, &pin);
        EXPECT_STREQ(pin.label, "ACN 1");
    }
    // Each instance keeps its own state.
    a1.set(0, 0.25f);
    char name[] = "Mine";
    a1.dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(f1.get(0), 0.0f);
    EXPECT_EQ(a2.get(0), 0.0f);
    EXPECT_EQ(f1.text(effGetProgramName), "Prog 1");
    EXPECT_EQ(a1.text(effGetProgramName), "Mine");
}

// Many sessions: positions anywhere (the far source and inside), the
// compensation on and off, sample rates, block sizes from one frame up, and
// changes between blocks that glide, program switches and resumes.
TEST(AmbiXPlugin, EachChannelIsItsFuMaTwinScaledAtItsAcnPlace)
{
    double largest = 0.0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        Random random{seed * 7919u};
        TwinSession twins;
        const float rate = seed % 3 == 0 ? 44100.0f : seed % 3 == 1 ? 48000.0f : 96000.0f;
        twins.both([&](LoadedEffect& fx) { fx.dispatch(effSetSampleRate, 0, 0, nullptr, rate); });
        for (int block = 0; block < 40; ++block) {
            const int changes = random.below(3);
            for (int k = 0; k < changes; ++k) {
                const int index = random.below(7);
                // Compensation and distance often at their ends: off and the far source.
                float value = random.unit();
                if (index >= 5 && random.below(3) == 0)
                    value = 1.0f;
                twins.both([&](LoadedEffect& fx) { fx.set(index, value); });
            }
            if (random.below(15) == 0) {
                const int program = random.below(16);
                twins.both([&](LoadedEffect& fx) { fx.dispatch(effSetProgram, 0, program); });
            }
            if (random.below(20) == 0)
                twins.both([&](LoadedEffect& fx) { fx.dispatch(effMainsChanged, 0, 1); });
            const int frames = random.below(4) == 0 ? 1 + random.below(4) : 1 + random.below(700);
            const auto input = noise(random, static_cast<size_t>(frames));
            twins.run(input, "seed " + std::to_string(seed) + " block " + std::to_string(block));
            if (HasFatalFailure())
                return;
        }
        largest = std::max(largest, twins.largestError);
    }
    RecordProperty("largest_relative_difference", std::to_string(largest));
}

TEST(AmbiXPlugin, AStillSourceGivesTheSn3dGainsExactlyWhereTheyBelong)
{
    // 90 degrees to the left at the edge, compensation off: FuMa gives
    // W = 1/sqrt(2), Y = 1, U = -1, Q = -1; SN3D gives 1, 1, -sqrt(3)/2, -sqrt(5/8).
    LoadedEffect fx(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    fx.set(0, 0.25f);
    fx.dispatch(effMainsChanged, 0, 1);
    const Channels out = fx.run(std::vector<float>(8, 1.0f));
    const double expected[kAcnOutputs] = {
        1.0, 1.0, 0, 0, 0, 0, 0, 0, -std::sqrt(3.0) / 2.0, -std::sqrt(5.0 / 8.0)};
    for (int c = 0; c < kAcnOutputs; ++c)
        for (float s : out[c])
            EXPECT_NEAR(s, expected[c], 1e-6) << "ACN " << c;
}

// A host processing in place hands the input as one of the outputs: a silent
// channel, W, or a channel in the middle of the frame.
TEST(AmbiXPlugin, InputMayBeAnyOfTheOutputs)
{
    Random random{99};
    const auto input = noise(random, 300);
    for (int aliased : {2, 0, 8, 15}) {
        LoadedEffect reference(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
        LoadedEffect fx(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
        for (LoadedEffect* e : {&reference, &fx}) {
            e->set(6, 0.3f); // compensation on: the filters run
            e->set(2, 0.6f);
            e->set(3, 0.3f);
            e->dispatch(effMainsChanged, 0, 1);
        }
        const Channels expected = reference.run(input);
        Channels outputs(kAcnOutputs, std::vector<float>(input.size(), 7.0f));
        outputs[aliased] = input;
        float* outs[kAcnOutputs];
        for (int c = 0; c < kAcnOutputs; ++c)
            outs[c] = outputs[c].data();
        float* ins[] = {outs[aliased]};
        fx.record()->processReplacing(fx.record(), ins, outs, static_cast<VstInt32>(input.size()));
        for (int c = 0; c < kAcnOutputs; ++c)
            for (size_t i = 0; i < input.size(); ++i)
                ASSERT_EQ(outputs[c][i], expected[c][i]) << "input in ACN " << aliased << ", ACN " << c;
    }
}

TEST(AmbiXPlugin, AccumulatingEntryOverwritesAndAMissingOutputWritesNothing)
{
    LoadedEffect a(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    LoadedEffect b(VELMORA_AMBIX_PLUGIN_PATH, nullptr);
    Random random{5};
    for (LoadedEffect* fx : {&a, &b})
        fx->set(2, 0.7f);
    for (int block = 0; block < 3; ++block) {
        const auto input = noise(random, 200);
        EXPECT_EQ(a.run(input, true), b.run(input, false));
    }

    std::vector<std::vector<float>> outputs(kAcnOutputs, std::vector<float>(16, 7.0f));
    float* outs[kAcnOutputs];
    for (int c = 0; c < kAcnOutputs; ++c)
        outs[c] = outputs[c].data();
    outs[11] = nullptr;
    std::vector<float> in(16, 1.0f);
    float* ins[] = {in.data()};
    a.record()->processReplacing(a.record(), ins, outs, 16);
    for (int c = 0; c < kAcnOutputs; ++c)
        EXPECT_EQ(outputs[c], std::vector<float>(16, 7.0f)) << "ACN " << c;
}

} // namespace
