// The effect as a host sees it: the built shared object, loaded and driven
// through its record only.

#include "tests/effect/LoadedEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

constexpr float kW = 0.70710677f;
constexpr int kOutputs = 7;
const char* const kInitialTexts[] = {"0", "0", "4.00", "0.00", "0.00", "off", "off"};

std::vector<float> ones(size_t frames)
{
    return std::vector<float>(frames, 1.0f);
}

std::vector<float> noise(size_t frames)
{
    std::vector<float> samples(frames);
    unsigned state = 1;
    for (float& s : samples) {
        state = state * 1103515245u + 12345u;
        s = static_cast<float>((state >> 9) & 0xffff) / 32768.0f - 1.0f;
    }
    return samples;
}

void expectSameOutputs(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b)
{
    for (int c = 0; c < kOutputs; ++c)
        for (size_t i = 0; i < a[c].size(); ++i)
            ASSERT_EQ(a[c][i], b[c][i]) << "channel " << c << " sample " << i;
}

TEST(EffectRecord, IdentityAsTheHostSeesIt)
{
    LoadedEffect fx;
    const AEffect& r = *fx.record();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.numPrograms, 16);
    EXPECT_EQ(r.numParams, 7);
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 7);
    EXPECT_EQ(r.flags,
              VELMORA_PLUGIN_HAS_EDITOR ? effFlagsCanReplacing | effFlagsHasEditor : effFlagsCanReplacing);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.version, 1);
    const char id[] = {static_cast<char>(r.uniqueID >> 24), static_cast<char>(r.uniqueID >> 16),
                       static_cast<char>(r.uniqueID >> 8), static_cast<char>(r.uniqueID), 0};
    EXPECT_STREQ(id, "Nb2q");

    EXPECT_EQ(fx.dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(fx.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(fx.text(effGetVendorString), "CorVane");
    EXPECT_EQ(fx.text(effGetProductString), "Corvane Velmora XY 3 - 2d");
    EXPECT_EQ(fx.text(effGetEffectName), fx.text(effGetProductString));
    EXPECT_EQ(fx.close(), 1);
}

TEST(EffectRecord, PinsLabelTheInputAndTheSevenChannels)
{
    LoadedEffect fx;
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(fx.dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Mono Input");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(pin.arrangementType, 0x55555555) << "only the label and flags are written";

    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(fx.dispatch(effGetInputProperties, 1, 0, &pin), 0);
    EXPECT_EQ(pin.flags, 0x55555555);

    const char* letters[] = {"W", "X", "Y", "U", "V", "P", "Q"};
    for (int i = 0; i < kOutputs; ++i) {
        EXPECT_EQ(fx.dispatch(effGetOutputProperties, i, 0, &pin), 1);
        EXPECT_STREQ(pin.label, letters[i]);
    }
    for (int index : {7, -1}) {
        std::memset(&pin, 0x55, sizeof pin);
        EXPECT_EQ(fx.dispatch(effGetOutputProperties, index, 0, &pin), 1);
        EXPECT_EQ(pin.flags, kVstPinIsActive);
        EXPECT_EQ(pin.label[0], 0x55) << "no label beyond the seven channels";
    }
}

TEST(EffectParameters, NewEffectReportsTheInitialProgramWhateverIsWrittenOutOfRange)
{
    LoadedEffect fx;
    fx.set(7, 0.3f);
    fx.set(-1, 0.3f);
    const float values[] = {0.0f, 0.5f, 1.0f, 0.5f, 0.5f, 0.0f, 1.0f};
    const char* names[] = {"Azimuth", "Elevation", " x ", " y ", " z ", "Distance", "Compensation Distance"};
    const char* labels[] = {"degrees", "degrees", "m", "m", "m", "m", "m"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(fx.get(i), values[i]) << i;
        EXPECT_EQ(fx.display(i), kInitialTexts[i]) << i;
        EXPECT_EQ(fx.text(effGetParamName, i), names[i]);
        EXPECT_EQ(fx.text(effGetParamLabel, i), labels[i]);
    }
}

TEST(EffectParameters, OutOfRangeIndicesTouchNoBuffer)
{
    LoadedEffect fx;
    EXPECT_EQ(fx.get(7), 0.0f);
    EXPECT_EQ(fx.get(-1), 0.0f);
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int index : {7, -1, 1000})
            EXPECT_EQ(fx.text(opcode, index), "<untouched>");
}

TEST(EffectParameters, ValueTexts)
{
    struct Case {
        int index;
        float value;
        const char* text;
    } cases[] = {
        {5, 0.0f, "off"},      {5, 1.0f, "0.00"},   {6, 0.0f, "0.50"},  {6, 1.0f, "off"},
        {0, 0.25f, "90"},      {1, 0.0f, "-90"},    {1, 0.5f, "0"},     {5, 0.675f, "1.29"},
        {0, 0.999999f, "360"}, {2, 0.25f, "-2.00"}, {2, 0.75f, "2.00"},
    };
    for (const Case& c : cases) {
        LoadedEffect fx;
        fx.set(c.index, c.value);
        EXPECT_EQ(fx.display(c.index), c.text) << c.index << " = " << c.value;
    }
}

TEST(EffectParameters, ValueTextsFitTheDisplayWhateverTheValue)
{
    const float extremes[] = {1e6f, -1e6f, 123456.7f, -98765.4f, 1e-30f, -1.5f, 2.5f};
    for (int index = 0; index < 7; ++index) {
        for (float v : extremes) {
            LoadedEffect fx;
            fx.set(index, v);
            for (int shown = 0; shown < 7; ++shown)
                EXPECT_LE(fx.display(shown).size(), 8u)
                    << "set " << index << " = " << v << ", shown " << shown;
        }
    }
}

TEST(EffectParameters, ThePolarAndRectangularViewsMoveTogether)
{
    LoadedEffect fx;
    fx.set(2, 1.0f);
    fx.set(3, 1.0f); // outside the 4 m circle: pulled back along its direction
    EXPECT_NEAR(fx.get(2), 0.8535534f, 1e-6);
    EXPECT_NEAR(fx.get(3), 0.8535534f, 1e-6);
    EXPECT_NEAR(fx.get(0), 0.125f, 1e-6);
    EXPECT_EQ(fx.get(5), 0.0f);

    fx.set(2, 0.5f);
    fx.set(3, 0.5f);
    fx.set(4, 0.5f); // the origin
    EXPECT_EQ(fx.get(0), 0.0f);
    EXPECT_EQ(fx.get(1), 0.5f);
    EXPECT_EQ(fx.get(5), 1.0f);

    fx.set(0, 0.25f); // azimuth 90 degrees at distance 0 stays at the origin
    fx.set(5, 0.5f); // 2 m
    EXPECT_NEAR(fx.get(2), 0.5f, 1e-6);
    EXPECT_NEAR(fx.get(3), 0.75f, 1e-6);
}

// Hosts and saved sessions may hold values a little outside 0..1: they go
// through the same mappings, unclamped, and read back as written.
TEST(EffectParameters, FiniteValuesOutsideTheRangeAreMappedNotClamped)
{
    LoadedEffect fx;
    fx.set(6, -0.1f); // 0.15 m
    EXPECT_EQ(fx.display(6), "0.15");
    EXPECT_NEAR(fx.get(6), -0.1f, 1e-6);
    fx.set(5, 1.25f); // -1 m: the source goes through the centre to behind
    EXPECT_EQ(fx.display(5), "-1.00");
    EXPECT_EQ(fx.display(2), "-1.00");
    EXPECT_FLOAT_EQ(fx.get(5), 1.25f);
    fx.set(0, 1.25f); // 450 degrees
    EXPECT_EQ(fx.display(0), "450");
}

TEST(EffectParameters, NonFiniteValuesAreIgnored)
{
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 3e38f};
    for (int index = 0; index < 7; ++index) {
        LoadedEffect reference, fx;
        for (float v : bad)
            fx.set(index, v);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(fx.get(i), reference.get(i)) << "parameter " << i << " after a bad write to " << index;
        const auto expected = reference.run(noise(512));
        const auto got = fx.run(noise(512));
        expectSameOutputs(got, expected);
        // The stored program is untouched too: recalling it changes nothing.
        fx.dispatch(effSetProgram, 0, 0);
        EXPECT_EQ(fx.get(index), reference.get(index));
    }
}

TEST(EffectAudio, FirstBlockStartsAtTheTargetGainsAndResumeJumpsToNewOnes)
{
    LoadedEffect fx;
    const float atTheEdge[] = {kW, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f};
    const auto first = fx.run(ones(4));
    for (int c = 0; c < kOutputs; ++c)
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(first[c][i], atTheEdge[c], 1e-7) << "channel " << c;

    fx.set(2, 0.75f); // x = 2 m, compensation off: each order scaled by (2/4)^m
    fx.dispatch(effMainsChanged, 0, 1);
    const float inside[] = {kW, 0.5f, 0.0f, 0.25f, 0.0f, 0.125f, 0.0f};
    const auto resumed = fx.run(ones(1));
    for (int c = 0; c < kOutputs; ++c)
        EXPECT_NEAR(resumed[c][0], inside[c], 1e-6) << "channel " << c;
}

TEST(EffectAudio, AccumulatingEntryOverwritesLikeReplacing)
{
    LoadedEffect a, b;
    for (LoadedEffect* fx : {&a, &b}) {
        fx->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        fx->set(6, 0.3f); // compensation on, so the filters run too
        fx->set(2, 0.7f);
        fx->set(3, 0.2f);
        fx->dispatch(effMainsChanged, 0, 1);
    }
    for (int block = 0; block < 3; ++block) {
        const auto input = noise(300);
        expectSameOutputs(a.run(input, true), b.run(input, false));
    }
}

TEST(EffectAudio, BadSampleRatesAreIgnored)
{
    LoadedEffect reference, fx;
    for (LoadedEffect* e : {&reference, &fx}) {
        e->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        e->set(6, 0.2f);
        e->set(5, 0.8f);
    }
    for (float rate :
         {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        fx.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    for (int block = 0; block < 4; ++block) {
        const auto input = noise(256);
        expectSameOutputs(fx.run(input), reference.run(input));
    }
}

TEST(EffectAudio, TheSampleRateReachesTheFilters)
{
    LoadedEffect at44, at96;
    at44.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    at96.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    for (LoadedEffect* e : {&at44, &at96}) {
        e->set(6, 0.2f);
        e->set(5, 0.8f);
        e->dispatch(effMainsChanged, 0, 1);
    }
    const auto input = noise(256);
    EXPECT_NE(at44.run(input)[1], at96.run(input)[1]);
}

TEST(EffectPrograms, NamesAndTheInitRule)
{
    LoadedEffect fx;
    EXPECT_EQ(fx.text(effGetProgramName), "Prog 1");
    EXPECT_EQ(fx.text(effGetProgramNameIndexed, 0), "Prog 1");
    char buffer[64] = "unchanged";
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 15, 0, buffer), 1);
    EXPECT_STREQ(buffer, "Prog 16");
    std::strcpy(buffer, "unchanged");
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 16, 0, buffer), 0);
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, -1, 0, buffer), 0);
    EXPECT_STREQ(buffer, "unchanged");

    fx.dispatch(effSetProgram, 0, 2);
    char init[] = "Init";
    fx.dispatch(effSetProgramName, 0, 0, init);
    EXPECT_EQ(fx.text(effGetProgramName), "Init 3");
    EXPECT_EQ(fx.text(effGetProgramNameIndexed, 2), "Init");

    char longName[] = "A name far longer than twenty-three characters";
    fx.dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(fx.text(effGetProgramName), std::string(longName, 23));
}

TEST(EffectPrograms, EachProgramKeepsItsOwnValues)
{
    LoadedEffect fx;
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
    fx.set(5, 0.5f);
    fx.set(6, 0.25f);
    fx.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(fx.display(5), "off");
    EXPECT_EQ(fx.display(6), "off");
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.display(5), "2.00");
    EXPECT_FLOAT_EQ(fx.get(6), 0.25f);

    fx.dispatch(effSetProgram, 0, 16);
    fx.dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
}

TEST(EffectPrograms, RecallTakesItsDirectionFromTheRectangularSlots)
{
    LoadedEffect fx;
    fx.dispatch(effSetProgram, 0, 5);
    fx.set(0, 0.3f);
    fx.set(1, 0.8f);
    fx.set(2, 0.5f);
    fx.set(3, 0.5f);
    fx.set(4, 0.5f);
    fx.set(5, 0.5f); // 2 m
    fx.dispatch(effSetProgram, 0, 0);
    fx.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(fx.display(0), "0");
    EXPECT_EQ(fx.display(1), "0");
    EXPECT_EQ(fx.display(5), "2.00");
    EXPECT_EQ(fx.display(2), "2.00");
}

} // namespace
