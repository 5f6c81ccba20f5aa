#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "dsp/NF_filt1.h"
#include "dsp/Angles.h"
#include "dsp/NF_filt2.h"
#include "dsp/NF_filt3.h"
#include "dsp/NF_filt4.h"
#include "dsp/NelAmbisonicEncoder.h"

namespace {

using cd = std::complex<double>;
constexpr double kC = 342.0;

float sourceCoef(float r, float fs)
{
    return r == 4.0f ? 0.0f : 342.0f / (r * fs);
}
float compCoef(float R, float fs)
{
    return 342.0f / (fs * R);
}

// The Bessel polynomial of each order, in the factored form the filters use.
cd bessel(int order, cd p)
{
    switch (order) {
    case 1: return 1.0 + p;
    case 2: return 1.0 + 3.0 * p + 3.0 * p * p;
    case 3: return (1.0 + 3.6778 * p + 6.4595 * p * p) * (1.0 + 2.3222 * p);
    default: return (1.0 + 4.2076 * p + 11.4877 * p * p) * (1.0 + 5.7924 * p + 9.1401 * p * p);
    }
}

// |H_m| at frequency f after the bilinear transform; r = 4 means no source term.
double expectedMagnitude(int order, double r, double R, double f, double fs)
{
    const cd z = std::polar(1.0, 2 * kPi * f / fs);
    const cd s = 2.0 * fs * (z - 1.0) / (z + 1.0);
    const cd num = r == 4.0 ? cd(1.0) : bessel(order, kC / (r * s));
    return std::abs(num / bessel(order, kC / (R * s)));
}

// Runs a sine through `run` long enough to settle and measures its amplitude
// by correlation over the last whole periods.
template <typename Run> double measuredMagnitude(Run run, double f, double fs)
{
    const int frames = static_cast<int>(fs); // one second
    std::vector<float> buf(frames);
    for (int i = 0; i < frames; ++i)
        buf[i] = static_cast<float>(std::sin(2 * kPi * f * i / fs));
    run(frames, buf.data());
    const int period = static_cast<int>(std::lround(fs / f));
    const int count = (frames / 2 / period) * period;
    cd acc = 0;
    for (int i = frames - count; i < frames; ++i)
        acc += static_cast<double>(buf[i]) * std::polar(1.0, -2 * kPi * f * i / fs);
    return 2.0 * std::abs(acc) / count;
}

template <typename Filter> void expectResponse(int order, float r, float R, float fs)
{
    for (double f : {20.0, 100.0, 1000.0, 10000.0}) {
        Filter filter;
        filter.init(sourceCoef(r, fs), compCoef(R, fs), 1.0f);
        filter.reset();
        const bool full = r != 4.0f;
        const double got = measuredMagnitude(
            [&](int n, float* b) { full ? filter.process(n, b, b, 1) : filter.process1(n, b, b, 1); }, f, fs);
        const double want = expectedMagnitude(order, r, R, f, fs);
        EXPECT_NEAR(got, want, 2e-3 * std::max(1.0, want))
            << "order " << order << " r " << r << " R " << R << " at " << f << " Hz";
    }
}

TEST(NearFieldFilter, FrequencyResponseMatchesTheBilinearBesselDesign)
{
    for (float fs : {44100.0f, 96000.0f}) {
        for (auto rR : {std::pair<float, float>{1.0f, 2.0f}, {3.0f, 1.0f}, {4.0f, 2.0f}}) {
            expectResponse<NF_filt1>(1, rR.first, rR.second, fs);
            expectResponse<NF_filt2>(2, rR.first, rR.second, fs);
            expectResponse<NF_filt3>(3, rR.first, rR.second, fs);
            expectResponse<NF_filt4>(4, rR.first, rR.second, fs);
        }
    }
}

TEST(NearFieldFilter, SecondOrderMagnitudesAtOneMetreWithTwoMetreCompensation)
{
    const double figures[][2] = {{20.0, 3.717}, {100.0, 1.451}, {1000.0, 1.0033}};
    for (const auto& fm : figures) {
        NF_filt2 f;
        f.init(sourceCoef(1.0f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
        f.reset();
        EXPECT_NEAR(measuredMagnitude([&](int n, float* b) { f.process(n, b, b, 1); }, fm[0], 48000.0), fm[1],
                    2e-3 * fm[1]);
    }
}

TEST(NearFieldFilter, CoefficientsForOneMetreSourceAndTwoMetreArray)
{
    const float ws = sourceCoef(1.0f, 48000.0f), wc = compCoef(2.0f, 48000.0f);
    NF_filt1 f1;
    f1.init(ws, wc, 1.0f);
    EXPECT_NEAR(f1.dist1, 0.0070997, 1e-7);
    EXPECT_NEAR(f1.comp1, 0.0035562, 1e-7);
    EXPECT_NEAR(f1.gain, 1.0017780, 1e-6);
    NF_filt2 f2;
    f2.init(ws, wc, 1.0f);
    EXPECT_NEAR(f2.dist1, 0.0212989, 1e-7);
    EXPECT_NEAR(f2.dist2, 0.00015068, 1e-9);
    EXPECT_NEAR(f2.comp1, 0.0106685, 1e-7);
    EXPECT_NEAR(f2.comp2, 0.000037871, 1e-9);
    EXPECT_NEAR(f2.gain, 1.0053436, 1e-6);
}

TEST(NearFieldFilter, CoefficientsRoundAsTheFormulasAreWritten)
{
    // a^2 is rounded on its own before the beta terms scale it: (beta a) a
    // differs from beta (a a) in the last bit for about a third of all
    // distances, and the filters' output with it.
    for (float fs : {44100.0f, 48000.0f}) {
        for (int i = 0; i < 40; ++i) {
            const float r = 0.5f + 0.0875f * static_cast<float>(i), R = 2.0f;
            const float a = 0.5f * sourceCoef(r, fs), b = 0.5f * compCoef(R, fs);
            const float aa = a * a, bb = b * b;
            NF_filt2 f2;
            f2.init(sourceCoef(r, fs), compCoef(R, fs), 1.0f);
            const float e = 1.0f + 3.0f * a + 3.0f * aa, f = 1.0f + 3.0f * b + 3.0f * bb;
            EXPECT_EQ(f2.dist1, (6.0f * a + 12.0f * aa) / e) << r;
            EXPECT_EQ(f2.dist2, 12.0f * aa / e) << r;
            EXPECT_EQ(f2.comp1, (6.0f * b + 12.0f * bb) / f) << r;
            EXPECT_EQ(f2.gain, e * 1.0f / f) << r;
            NF_filt3 f3;
            f3.init(sourceCoef(r, fs), compCoef(R, fs), 1.0f);
            const float e3 = 1.0f + 3.6778f * a + 6.4595f * aa, k = 2.3222f * a;
            EXPECT_EQ(f3.dist2, 4.0f * 6.4595f * aa / e3) << r;
            EXPECT_EQ(f3.dist3, 2.0f * k / (k + 1.0f)) << r;
            NF_filt4 f4;
            f4.init(sourceCoef(r, fs), compCoef(R, fs), 1.0f);
            const float e1 = 1.0f + 4.2076f * a + 11.4877f * aa, e2 = 1.0f + 5.7924f * a + 9.1401f * aa;
            EXPECT_EQ(f4.dist1, (2.0f * 4.2076f * a + 4.0f * 11.4877f * aa) / e1) << r;
            EXPECT_EQ(f4.dist4, 4.0f * 9.1401f * aa / e2) << r;
        }
    }
}

TEST(NearFieldFilter, SourceOnTheArrayCircleIsTheIdentity)
{
    // The factored orders are where rounding could leave a gain off one.
    const float w = compCoef(2.0f, 48000.0f);
    NF_filt3 f3;
    f3.init(w, w, 1.0f);
    EXPECT_FLOAT_EQ(f3.gain, 1.0f);
    EXPECT_EQ(f3.dist3, f3.comp3);
    NF_filt4 f4;
    f4.init(w, w, 1.0f);
    EXPECT_FLOAT_EQ(f4.gain, 1.0f);
    EXPECT_EQ(f4.dist4, f4.comp4);
}

TEST(NearFieldFilter, NewCoefficientsKeepTheMemoryOfEveryOrder)
{
    // Moving the source must not reset the integrators: that would click.
    std::vector<float> buf(64, 0.5f);
    NF_filt3 f3;
    f3.init(sourceCoef(1.0f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
    f3.process(64, buf.data(), buf.data(), 1);
    const float s1 = f3.s1, s3 = f3.s3;
    f3.init(sourceCoef(1.5f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
    EXPECT_EQ(f3.s1, s1);
    EXPECT_EQ(f3.s3, s3);
    NF_filt4 f4, other;
    f4.init(sourceCoef(1.0f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
    f4.process(64, buf.data(), buf.data(), 1);
    const float s4 = f4.s4;
    other.init(sourceCoef(0.7f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
    f4.init(other);
    EXPECT_EQ(f4.s4, s4);
    EXPECT_EQ(f4.dist1, other.dist1);
    f4.reset();
    EXPECT_EQ(f4.s4, 0.0f);
}

TEST(NearFieldFilter, EmptyBlocksChangeNothingAndStridesSkipSamples)
{
    NF_filt2 f;
    f.init(sourceCoef(1.0f, 48000.0f), compCoef(2.0f, 48000.0f), 1.0f);
    f.reset();
    const NF_filt2 before = f;
    f.process(0, nullptr, nullptr, 1);
    f.process1(-3, nullptr, nullptr, 1);
    EXPECT_EQ(f.gainSmoother.state, before.gainSmoother.state);
    EXPECT_EQ(f.s1, before.s1);

    float interleaved[8] = {1, 9, 1, 9, 1, 9, 1, 9};
    float plain[4] = {1, 1, 1, 1};
    NF_filt2 g = before;
    f.process(4, interleaved, interleaved, 2);
    g.process(4, plain, plain, 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(interleaved[2 * i], plain[i]);
        EXPECT_EQ(interleaved[2 * i + 1], 9.0f);
    }
}

TEST(NearFieldFilter, EncoderSharesOneCoefficientSetPerOrderAndFollowsTheRate)
{
    NelAmbisonicEncoder enc(Order3H3V);
    enc.distance = enc.filterDistance = 1.0f;
    enc.compDistance = 2.0f;
    enc.sampleRate = 96000.0f;
    enc.SetDistCoef(enc.filterDistance, enc.compDistance);
    NF_filt3 want;
    want.init(342.0f / 96000.0f, 342.0f / 192000.0f, 1.0f);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(enc.nf3[k].gain, want.gain) << k;
        EXPECT_EQ(enc.nf3[k].comp3, want.comp3) << k;
    }
    EXPECT_EQ(enc.nf2[4].dist2, enc.nf2[0].dist2);
    EXPECT_EQ(enc.nf4[0].gain, 0.0f); // a layout without fourth order leaves those filters alone
}

} // namespace
