#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "dsp/Angles.h"
#include "dsp/EncoderKernels.h"
#include "dsp/NelAmbisonicEncoder.h"
#include "tests/dsp/ReferenceEncoder.h"

namespace {

// Channel buffers for one encoder, plus the pointer arrays a host passes.
struct Buffers {
    Buffers(int channels, int frames) : data(channels, std::vector<float>(frames)), ptrs(channels)
    {
        for (int j = 0; j < channels; ++j)
            ptrs[j] = data[j].data();
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> ptrs;
};

bool sameFloat(float a, float b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

::testing::AssertionResult sameBlock(const Buffers& got, const Buffers& want, int frames)
{
    for (size_t j = 0; j < got.data.size(); ++j)
        for (int i = 0; i < frames; ++i)
            if (!sameFloat(got.data[j][i], want.data[j][i]))
                return ::testing::AssertionFailure() << "channel " << j << " frame " << i << ": "
                                                     << got.data[j][i] << " != " << want.data[j][i];
    return ::testing::AssertionSuccess();
}

// Drives an encoder through the effect's update contract with random values
// and checks every block bit for bit against the reference loop.
class RandomSession {
public:
    RandomSession(AmbiOrder order, unsigned seed)
        : enc(order), ref(enc), rng(seed), out(enc.numChannels, kMaxFrames),
          want(enc.numChannels, kMaxFrames), input(kMaxFrames)
    {
    }

    void run(int steps)
    {
        for (int s = 0; s < steps; ++s) {
            switch (pick(9)) {
            case 0: setPolar(); break;
            case 1: setDistance(); break;
            case 2: setCompensation(); break;
            case 3: setRect(); break;
            case 4: setSampleRate(); break;
            case 5:
                enc.resume();
                ref.resume();
                break;
            default: processBlock(); break;
            }
            if (::testing::Test::HasFailure())
                return;
        }
    }

    void processBlock(int frames = -1, bool inPlace = false)
    {
        if (frames < 0) {
            const int kind = pick(10);
            frames = kind == 0 ? 0 : kind < 3 ? kMaxFrames : 1 + pick(700);
            inPlace = pick(4) == 0;
        }
        for (int i = 0; i < frames; ++i)
            input[i] = uniform(-1.0, 1.0);
        ref.sync();
        ref.process(input.data(), want.ptrs.data(), frames);
        const float* in = input.data();
        if (inPlace) {
            std::copy(input.begin(), input.begin() + frames, out.data[0].begin());
            in = out.ptrs[0];
        }
        enc.process(&in, out.ptrs.data(), frames);
        ASSERT_TRUE(sameBlock(out, want, frames))
            << "block " << blocks << ", " << frames << " frames" << (inPlace ? ", in place" : "");
        ++blocks;
    }

    NelAmbisonicEncoder enc;
    ReferenceEncoder ref;

private:
    static constexpr int kMaxFrames = 4096;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float uniform(double lo, double hi)
    {
        return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
    }

    void setPolar()
    {
        enc.azimuth = uniform(0.0, 2 * kPi);
        enc.elevation = pick(2) ? 0.0f : uniform(-kPi / 2, kPi / 2);
        enc.UpdatePolarCoords();
    }
    void setDistance()
    {
        const int kind = pick(4);
        enc.distance = kind == 0 ? 4.0f : kind == 1 ? 0.2f : uniform(0.0, 4.0);
        enc.filterDistance = enc.distance < 0.5f ? 0.5f : enc.distance;
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.UpdatePolarCoords();
    }
    void setCompensation()
    {
        const int kind = pick(4);
        enc.compDistance = kind == 0 ? 4.0f : kind == 1 ? 4.5f : uniform(0.5, 4.0);
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.UpdatePolarCoords();
    }
    void setRect()
    {
        float* field[] = {&enc.x, &enc.y, &enc.z};
        *field[pick(3)] = pick(5) == 0 ? 4.0f : uniform(-4.0, 4.0);
        enc.UpdateRectCoords();
    }
    void setSampleRate()
    {
        const float rates[] = {44100.0f, 48000.0f, 96000.0f};
        enc.sampleRate = rates[pick(3)];
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    }

    std::mt19937 rng;
    Buffers out, want;
    std::vector<float> input;
    int blocks = 0;
};

using InstructionSet = EncoderKernels::InstructionSet;

// Every layout, rendered by the kernels of each instruction set in turn: both
// must give the plain loop's numbers bit for bit.
class EveryLayout : public ::testing::TestWithParam<std::tuple<int, InstructionSet>> {
protected:
    void SetUp() override
    {
        const InstructionSet set = std::get<1>(GetParam());
        if (set == InstructionSet::Avx && EncoderKernels::best() != InstructionSet::Avx)
            GTEST_SKIP() << "this processor has no AVX";
        EncoderKernels::choose(set);
    }
    void TearDown() override { EncoderKernels::choose(EncoderKernels::best()); }

    AmbiOrder order() const { return static_cast<AmbiOrder>(std::get<0>(GetParam())); }
    unsigned seed(unsigned base) const { return base + static_cast<unsigned>(std::get<0>(GetParam())); }
};

TEST_P(EveryLayout, RendersBitForBitWhatThePlainLoopRenders)
{
    RandomSession session(order(), seed(1234u));
    session.run(400);
}

TEST_P(EveryLayout, HeldPositionsSettleAndStayExact)
{
    // Long unchanged stretches take the settled paths for gains and
    // coefficients, in each near-field stage.
    RandomSession session(order(), 99u);
    NelAmbisonicEncoder& enc = session.enc;
    const float compensation[] = {4.0f, 2.0f, 2.0f};
    const float distances[] = {1.0f, 1.0f, 4.0f};
    for (int stage = 0; stage < 3; ++stage) {
        enc.compDistance = compensation[stage];
        enc.distance = distances[stage];
        enc.filterDistance = enc.distance;
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.azimuth = 0.3f + stage;
        enc.UpdatePolarCoords();
        for (int b = 0; b < 5; ++b) {
            session.processBlock(4096, b == 3);
            if (HasFailure())
                return;
        }
    }
}

TEST_P(EveryLayout, MovingSourceKeepsItsSettledFiltersExact)
{
    // An automated direction changes the gains on every block and leaves the
    // filters as they were: the gains glide while the settled coefficients
    // stay held, then the gains settle in turn, and a new compensation
    // distance sets the filters gliding again.
    RandomSession session(order(), 7u);
    NelAmbisonicEncoder& enc = session.enc;
    enc.compDistance = 2.0f;
    enc.distance = 1.0f;
    enc.filterDistance = 1.0f;
    enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    enc.UpdatePolarCoords();
    for (int b = 0; b < 4; ++b)
        session.processBlock(4096);
    for (int b = 0; b < 40 && !HasFailure(); ++b) {
        enc.azimuth = 0.01f * static_cast<float>(b);
        enc.UpdatePolarCoords();
        if (b % 10 == 9)
            enc.UpdatePolarCoords(); // the same targets again
        session.processBlock(64, b % 7 == 0);
    }
    for (int b = 0; b < 4 && !HasFailure(); ++b)
        session.processBlock(4096);
    enc.compDistance = 3.0f;
    enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    enc.UpdatePolarCoords();
    for (int b = 0; b < 8 && !HasFailure(); ++b)
        session.processBlock(b < 4 ? 64 : 4096);
}

INSTANTIATE_TEST_SUITE_P(Dsp, EveryLayout,
                         ::testing::Combine(::testing::Range(0, kAmbiOrderCount),
                                            ::testing::Values(InstructionSet::Sse2, InstructionSet::Avx)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) +
                                 (std::get<1>(info.param) == InstructionSet::Avx ? "_avx" : "_sse2");
                         });

TEST(EncoderLifecycle, FadesInUntilResumedThenStartsAtTheTargets)
{
    NelAmbisonicEncoder enc(Order3H0V);
    Buffers out(7, 1);
    const float one = 1.0f;
    const float* in = &one;
    enc.process(&in, out.ptrs.data(), 1);
    EXPECT_FLOAT_EQ(out.data[0][0], 0.70710677f * 0.001999974f);

    enc.resume();
    enc.process(&in, out.ptrs.data(), 1);
    const float targets[] = {0.70710677f, 1, 0, 1, 0, 1, 0};
    for (int j = 0; j < 7; ++j)
        EXPECT_EQ(out.data[j][0], targets[j]) << "channel " << j;
}

TEST(EncoderLifecycle, NonPositiveFrameCountsAndMissingBuffersWriteNothing)
{
    NelAmbisonicEncoder enc(Order3H0V);
    enc.resume();
    Buffers out(7, 4);
    for (auto& ch : out.data)
        std::fill(ch.begin(), ch.end(), 7.0f);
    std::vector<float> input(4, 1.0f);
    const float* in = input.data();
    enc.process(&in, out.ptrs.data(), 0);
    enc.process(&in, out.ptrs.data(), -5);
    enc.process(nullptr, out.ptrs.data(), 4);
    out.ptrs[6] = nullptr;
    enc.process(&in, out.ptrs.data(), 4);
    for (auto& ch : out.data)
        for (float v : ch)
            EXPECT_EQ(v, 7.0f);
}

TEST(EncoderLifecycle, RefusesAnUnknownLayout)
{
    EXPECT_THROW(NelAmbisonicEncoder(static_cast<AmbiOrder>(9)), std::invalid_argument);
    EXPECT_THROW(NelAmbisonicEncoder(static_cast<AmbiOrder>(-1)), std::invalid_argument);
}

// Runs a block of `frames` copies of `value` and returns the outputs.
std::vector<std::vector<float>> render(NelAmbisonicEncoder& enc, float value, int frames)
{
    Buffers out(enc.numChannels, frames);
    std::vector<float> input(frames, value);
    const float* in = input.data();
    enc.process(&in, out.ptrs.data(), frames);
    return out.data;
}

bool allFinite(const std::vector<std::vector<float>>& block)
{
    for (const auto& ch : block)
        for (float v : ch)
            if (!std::isfinite(v))
                return false;
    return true;
}

TEST(EncoderRecovery, NonFiniteInputDoesNotPoisonLaterBlocks)
{
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        for (float comp : {2.0f, 1.0f}) {
            NelAmbisonicEncoder enc(Order4H0V);
            enc.compDistance = comp;
            enc.distance = enc.filterDistance =
                comp == 2.0f ? 1.0f : 4.0f; // full filters, then compensation only
            enc.SetDistCoef(enc.filterDistance, enc.compDistance);
            enc.azimuth = 0.4f;
            enc.UpdatePolarCoords();
            enc.resume();
            render(enc, 0.25f, 256);
            render(enc, bad, 16);
            EXPECT_TRUE(allFinite(render(enc, 0.25f, 256))) << bad << " with compensation " << comp;
        }
    }
}

TEST(EncoderRecovery, BadPositionsAndRatesKeepThePreviousState)
{
    NelAmbisonicEncoder enc(Order3H0V);
    enc.compDistance = 2.0f;
    enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    enc.x = 1.0f;
    enc.UpdateRectCoords();
    const NF_filt2 before = enc.nf2[0];
    const float gainBefore = enc.gains[3];

    for (float rate :
         {0.0f, -48000.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        enc.sampleRate = rate;
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        EXPECT_EQ(enc.nf2[0].dist1, before.dist1) << rate;
        EXPECT_EQ(enc.nf2[0].comp2, before.comp2) << rate;
    }
    enc.sampleRate = 48000.0f;
    for (float d : {0.0f, -1.0f, 1e-30f, std::numeric_limits<float>::quiet_NaN()}) {
        enc.SetDistCoef(d, enc.compDistance);
        enc.SetDistCoef(enc.filterDistance, d);
        EXPECT_EQ(enc.nf2[0].gain, before.gain) << d;
    }
    enc.azimuth = std::numeric_limits<float>::quiet_NaN();
    enc.UpdatePolarCoords();
    EXPECT_EQ(enc.gains[3], gainBefore);
    enc.azimuth = 0.0f;
    enc.UpdatePolarCoords();
    enc.resume();
    EXPECT_TRUE(allFinite(render(enc, 0.5f, 512)));
}

TEST(EncoderStages, CompensationDistanceAndSourceDistancePickTheStage)
{
    // A constant input settles to (R/r)^m times the gain through the full
    // filters, to 0 through the compensation-only ones, and stays plain gain
    // with compensation off. U is a second-order channel with gain 1 at front.
    struct Case {
        float comp, dist, expectedU;
    } cases[] = {
        {4.0f, 1.0f, 0.0625f}, // off: (1/4)^2
        {5.0f, 1.0f, 0.0625f}, // beyond 4 m is off too, for the gains as well
        {3.9999f, 1.0f, 15.9992f}, // on: (3.9999/1)^2
        {2.0f, 3.99f, 0.25128f}, // full, near the edge
        {2.0f, 4.0f, 0.0f}, // far source: compensation only, blocks DC
    };
    for (const Case& c : cases) {
        NelAmbisonicEncoder enc(Order3H0V);
        enc.compDistance = c.comp;
        enc.distance = enc.filterDistance = c.dist;
        enc.SetDistCoef(enc.filterDistance, enc.compDistance);
        enc.UpdatePolarCoords();
        enc.resume();
        const auto block = render(enc, 1.0f, 48000 * 3);
        EXPECT_NEAR(block[3].back(), c.expectedU, 2e-3 * std::max(1.0f, c.expectedU))
            << c.comp << " / " << c.dist;
        EXPECT_EQ(block[0].back(), 0.70710677f);
    }
}

} // namespace
