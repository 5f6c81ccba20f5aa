#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "dsp/AmbiLayout.h"
#include "dsp/Angles.h"
#include "dsp/NelAmbisonicEncoder.h"

namespace {

void setPolar(NelAmbisonicEncoder& enc, double azimuth, double elevation, float comp = 2.0f)
{
    enc.compDistance = comp;
    enc.azimuth = static_cast<float>(azimuth);
    enc.elevation = static_cast<float>(elevation);
    enc.UpdatePolarCoords();
}

void setRect(NelAmbisonicEncoder& enc, float x, float y, float z)
{
    enc.x = x;
    enc.y = y;
    enc.z = z;
    enc.UpdateRectCoords();
}

void expectGains(const NelAmbisonicEncoder& enc, std::initializer_list<double> want, double tol = 1e-6)
{
    int j = 0;
    for (double w : want) {
        EXPECT_NEAR(enc.gains[j], static_cast<float>(w), tol) << "channel " << j;
        ++j;
    }
}

TEST(AmbiLayoutTable, ChannelCountsAndFilterAssignment)
{
    const int counts[] = {3, 4, 5, 6, 9, 7, 8, 16, 9};
    for (int o = 0; o < kAmbiOrderCount; ++o) {
        const AmbiLayout& l = AmbiLayout::of(static_cast<AmbiOrder>(o));
        EXPECT_EQ(l.numChannels, counts[o]);
        EXPECT_EQ(l.channels[0], AmbiChannel::W);
        EXPECT_EQ(l.orderOf(1), 1);
    }
    const AmbiLayout& full = AmbiLayout::of(Order3H3V);
    EXPECT_EQ(full.filtersOfOrder(1), 3);
    EXPECT_EQ(full.filtersOfOrder(2), 5);
    EXPECT_EQ(full.filtersOfOrder(3), 7);
    EXPECT_EQ(full.filterIndexOf(15), 6); // Q uses nf3[6]
    const AmbiLayout& h4 = AmbiLayout::of(Order4H0V);
    EXPECT_EQ(h4.channels[8], AmbiChannel::S4);
    EXPECT_EQ(h4.filterIndexOf(8), 1);
    EXPECT_EQ(h4.filterIndexOf(5), 0); // P uses nf3[0]
}

TEST(EncoderGains, DirectionModeFollowsAzimuthAndElevation)
{
    NelAmbisonicEncoder enc(Order3H0V);
    setPolar(enc, kPi / 2, 0);
    expectGains(enc, {0.70710677, 0, 1, -1, 0, 0, -1});
    setPolar(enc, kPi / 6, 0);
    expectGains(enc, {0.70710677, 0.8660254, 0.5, 0.5, 0.8660254, 0, 1});
    for (double e : {kPi / 2, -kPi / 2}) {
        setPolar(enc, 1.0, e);
        expectGains(enc, {0.70710677, 0, 0, 0, 0, 0, 0}, 1e-7);
    }
}

TEST(EncoderGains, InteriorModeFadesOrderMByDistanceOverFourToTheM)
{
    NelAmbisonicEncoder enc(Order3H0V);
    setRect(enc, 2, 0, 0);
    EXPECT_EQ(enc.distance, 2.0f);
    EXPECT_EQ(enc.azimuth, 0.0f);
    expectGains(enc, {0.70710677, 0.5, 0, 0.25, 0, 0.125, 0}, 0.0);
    setRect(enc, 2, 0, 2);
    EXPECT_NEAR(enc.distance, 2.828427, 1e-6);
    EXPECT_NEAR(enc.elevation, kPi / 4, 1e-6);
    expectGains(enc, {0.70710677, 0.5, 0, 0.25, 0, 0.125, 0}, 0.0);
    setPolar(enc, enc.azimuth, enc.elevation, 2.0f);
    expectGains(enc, {0.70710677, 0.7071068, 0, 0.5, 0, 0.3535534, 0});
}

TEST(EncoderGains, InteriorLawHoldsInEveryLayout)
{
    // For any point, interior gain = (distance/4)^m x direction gain, in every
    // channel of every layout (the two modes are written differently).
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-2.3f, 2.3f);
    for (int o = 0; o < kAmbiOrderCount; ++o) {
        NelAmbisonicEncoder inside(static_cast<AmbiOrder>(o)), direction(static_cast<AmbiOrder>(o));
        const AmbiLayout& l = AmbiLayout::of(static_cast<AmbiOrder>(o));
        for (int t = 0; t < 20; ++t) {
            setRect(inside, coord(rng), coord(rng), coord(rng));
            direction.compDistance = 2.0f;
            direction.azimuth = inside.azimuth;
            direction.elevation = inside.elevation;
            direction.distance = inside.distance;
            direction.UpdatePolarCoords();
            for (int j = 1; j < l.numChannels; ++j) {
                const double scale = std::pow(inside.distance / 4.0, l.orderOf(j));
                EXPECT_NEAR(inside.gains[j], scale * direction.gains[j], 2e-5)
                    << "layout " << o << " channel " << j;
            }
        }
    }
}

TEST(EncoderCoords, RectangularToPolarWrapsClampsAndHandlesTheOrigin)
{
    NelAmbisonicEncoder enc(Order3H0V);
    setRect(enc, 0, -2, 0);
    EXPECT_FLOAT_EQ(enc.azimuth, 4.712389f);
    setRect(enc, 4, 4, 0);
    EXPECT_EQ(enc.distance, 4.0f);
    EXPECT_FLOAT_EQ(enc.azimuth, static_cast<float>(kPi / 4));
    EXPECT_NEAR(enc.x, 2.828427, 1e-6);
    EXPECT_NEAR(enc.y, 2.828427, 1e-6);
    EXPECT_EQ(enc.filterDistance, 4.0f);
    // Writing the clamped point back recomputes a distance that rounds to just
    // below 4; it must stay the far source.
    setRect(enc, enc.x, enc.y, 0);
    EXPECT_EQ(enc.distance, 4.0f);
    EXPECT_EQ(enc.nf1[0].dist1, 0.0f);
    setRect(enc, 0, 0, 0);
    EXPECT_EQ(enc.distance, 0.0f);
    EXPECT_EQ(enc.azimuth, 0.0f);
    EXPECT_EQ(enc.elevation, 0.0f);
    EXPECT_EQ(enc.filterDistance, 0.5f);
    expectGains(enc, {0.70710677, 0, 0, 0, 0, 0, 0}, 0.0);
}

TEST(EncoderCoords, PolarToRectangularUsesTheFieldsAsGiven)
{
    NelAmbisonicEncoder enc(Order3H0V);
    enc.distance = 2.0f;
    setPolar(enc, kPi / 2, 0, 4.0f);
    EXPECT_NEAR(enc.x, 0.0, 1e-6);
    EXPECT_NEAR(enc.y, 2.0, 1e-6);
    setPolar(enc, 0, kPi / 6, 4.0f);
    EXPECT_NEAR(enc.x, 1.7320508, 1e-6);
    EXPECT_NEAR(enc.z, 1.0, 1e-6);
    EXPECT_EQ(enc.filterDistance, 4.0f); // left to the caller
}

TEST(EncoderGains, FourthOrderPairTakesItsAngleFromTheAzimuth)
{
    NelAmbisonicEncoder enc(Order4H0V);
    setPolar(enc, kPi / 8, 0);
    EXPECT_NEAR(enc.gains[7], 0.0, 1e-6); // cos(pi/2)
    EXPECT_NEAR(enc.gains[8], 1.0, 1e-6);
    enc.compDistance = 4.0f;
    setRect(enc, 0, 2, 0); // interior mode: magnitude (2/4)^4
    EXPECT_NEAR(enc.gains[7], 0.0625, 1e-6);
    EXPECT_NEAR(enc.gains[8], 0.0, 1e-6);
}

} // namespace
