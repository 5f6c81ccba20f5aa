#pragma once

#include "dsp/DeZipper.h"

// Second-order near-field filter (Bessel factor 1 + 3p + 3p^2) with gliding
// coefficients, like NF_filt1.
class NF_filt2 {
public:
    NF_filt2() = default;

    void init(float sourceCoef, float compCoef, float gainFactor);
    void init(const NF_filt2& other);
    void process(int sampleFrames, const float* input, float* output, int stride);
    void process1(int sampleFrames, const float* input, float* output, int stride);
    void reset();

    float gain = 0.0f;
    float dist1 = 0.0f;
    float dist2 = 0.0f;
    float comp1 = 0.0f;
    float comp2 = 0.0f;
    float s1 = 0.0f;
    float s2 = 0.0f;
    DeZipper gainSmoother;
    DeZipper dist1Smoother;
    DeZipper dist2Smoother;
    DeZipper comp1Smoother;
    DeZipper comp2Smoother;

private:
    void clearMemoryIfNotFinite();
};
