#pragma once

#include "dsp/DeZipper.h"

// First-order near-field filter: the source's near-field zero over the
// loudspeaker array's pole, with every coefficient gliding through its own
// smoother so that a moving source gives no zipper noise.
class NF_filt1 {
public:
    NF_filt1() = default;

    // Coefficients from the source and compensation coefficients c/(r fs) and
    // c/(R fs) and an overall gain; memory and smoothers are left alone.
    void init(float sourceCoef, float compCoef, float gainFactor);
    // Takes over another filter's coefficients; memory and smoothers stay.
    void init(const NF_filt1& other);

    // Full filter (source zero and compensation pole), in place allowed.
    void process(int sampleFrames, const float* input, float* output, int stride);
    // Compensation pole only, for a source at the far edge.
    void process1(int sampleFrames, const float* input, float* output, int stride);

    // Clears the memory and lets every smoother start at its coefficient.
    void reset();

    float gain = 0.0f;
    float dist1 = 0.0f;
    float comp1 = 0.0f;
    float s1 = 0.0f;
    DeZipper gainSmoother;
    DeZipper dist1Smoother;
    DeZipper comp1Smoother;

private:
    void clearMemoryIfNotFinite();
};
