// The Windows build's own sine, cosine and arc tangent (windows/): their
// accuracy against long double references, C's special cases, and how
// often they give glibc's correctly rounded result. Built and run on Linux:
// the code is plain double arithmetic, and the Windows tests check that
// both builds give the same bits (the probe's "trig" command).

#include "windows/Trigonometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Distance in units of the last place of the reference (as a double).
double ulps(double value, long double reference)
{
    const double r = double(reference);
    const double unit = std::nextafter(std::fabs(r), INFINITY) - std::fabs(r);
    return double(std::fabs((long double)value - reference) / unit);
}

struct Sweep {
    uint64_t state = 1;
    double uniform(double range)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (double(state >> 11) / 9007199254740992.0 * 2.0 - 1.0) * range;
    }
};

TEST(Trigonometry, SineAndCosineWithinOneUnitInTheLastPlaceUpTo1e5)
{
    Sweep sweep;
    double worstSin = 0, worstCos = 0;
    long agreeing = 0, count = 0;
    for (double range : {1e-6, 0.8, 7.0, 100.0, 1e5}) {
        for (int i = 0; i < 100000; ++i, ++count) {
            const double x = sweep.uniform(range);
            worstSin = std::max(worstSin, ulps(Trigonometry::sin(x), sinl((long double)x)));
            worstCos = std::max(worstCos, ulps(Trigonometry::cos(x), cosl((long double)x)));
            agreeing += Trigonometry::sin(x) == std::sin(x);
        }
    }
    EXPECT_LE(worstSin, 1.0);
    EXPECT_LE(worstCos, 1.0);
    // glibc's results are (nearly always) correctly rounded.
    EXPECT_GT(double(agreeing) / double(count), 0.95);
}

TEST(Trigonometry, ArcTangentWithinTwoUnitsInTheLastPlaceInEveryQuadrant)
{
    Sweep sweep;
    double worst = 0;
    for (double scale : {1e-300, 1e-3, 1.0, 1e3, 1e300}) {
        for (int i = 0; i < 100000; ++i) {
            const double y = sweep.uniform(scale), x = sweep.uniform(1.0);
            worst = std::max(worst, ulps(Trigonometry::atan2(y, x), atan2l((long double)y, (long double)x)));
        }
    }
    EXPECT_LE(worst, 2.0);
    // The engine's angles: exact quadrants and axes.
    EXPECT_EQ(Trigonometry::atan2(1.0, 1.0), std::atan2(1.0, 1.0));
    EXPECT_EQ(Trigonometry::atan2(-1.0, -1.0), std::atan2(-1.0, -1.0));
}

TEST(Trigonometry, SpecialValuesAsC)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    EXPECT_TRUE(std::signbit(Trigonometry::sin(-0.0)));
    EXPECT_EQ(Trigonometry::cos(-0.0), 1.0);
    EXPECT_TRUE(std::isnan(Trigonometry::sin(inf)) && std::isnan(Trigonometry::cos(-inf)));
    EXPECT_TRUE(std::isnan(Trigonometry::sin(nan)) && std::isnan(Trigonometry::atan2(nan, 1.0)));
    EXPECT_EQ(Trigonometry::sin(1e300), std::sin(1e300)); // beyond the reduction: long double
    for (double y : {0.0, -0.0, 1.0, -1.0, inf, -inf})
        for (double x : {0.0, -0.0, 1.0, -1.0, inf, -inf}) {
            const double ours = Trigonometry::atan2(y, x), c = std::atan2(y, x);
            EXPECT_EQ(ours, c) << y << " " << x;
            EXPECT_EQ(std::signbit(ours), std::signbit(c)) << y << " " << x;
        }
}

TEST(Trigonometry, SinCosGivesTheSameBitsAsSineAndCosine)
{
    Sweep sweep;
    for (int i = 0; i < 100000; ++i) {
        const double x = sweep.uniform(i % 2 ? 10.0 : 2e5);
        double s = 0, c = 0;
        Trigonometry::sincos(x, &s, &c);
        ASSERT_EQ(s, Trigonometry::sin(x)) << x;
        ASSERT_EQ(c, Trigonometry::cos(x)) << x;
    }
}

} // namespace
