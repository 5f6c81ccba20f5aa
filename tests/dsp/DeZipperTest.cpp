#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/DeZipper.h"

namespace {

TEST(DeZipper, WeightsAreExactAndAddUpToOne)
{
    DeZipper z;
    EXPECT_EQ(z.stateWeight, 0.998f);
    EXPECT_EQ(z.targetWeight, 0.00199997425079345703125f);
    EXPECT_NE(z.targetWeight, 0.002f);
    EXPECT_EQ(z.stateWeight + z.targetWeight, 1.0f);
}

TEST(DeZipper, StepIsHalfDoneAfterAbout346SamplesAndNearlyDoneAfter2300)
{
    DeZipper z;
    int half = 0, ninetyNine = 0;
    for (int n = 1; n <= 3000; ++n) {
        const float v = z.smooth(1.0f);
        if (!half && v >= 0.5f)
            half = n;
        if (!ninetyNine && v >= 0.99f)
            ninetyNine = n;
    }
    EXPECT_NEAR(half, 346, 2);
    EXPECT_NEAR(ninetyNine, 2300, 5);
}

TEST(DeZipper, SilentTargetSettlesAboveTheDenormalRange)
{
    DeZipper z;
    z.init(1.0f);
    float v = 1.0f;
    for (int n = 0; n < 200000; ++n) {
        v = z.smooth(0.0f);
        ASSERT_GE(std::fabs(v), std::numeric_limits<float>::min()) << "denormal after " << n << " steps";
    }
    EXPECT_NEAR(v, 5e-28f, 1e-29f);
}

} // namespace
