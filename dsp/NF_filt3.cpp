#include "dsp/NF_filt3.h"

#include <cmath>

#include "dsp/BesselFactor.h"
#include "dsp/DenormalGuard.h"
#include "dsp/IntegratorSection.h"

namespace {
constexpr float kAlpha = 3.6778f;
constexpr float kBeta = 6.4595f;
constexpr float kK = 2.3222f;
} // namespace

void NF_filt3::init(float sourceCoef, float compCoef, float gainFactor)
{
    const float a = 0.5f * sourceCoef;
    const float b = 0.5f * compCoef;
    const SecondOrderFactor num = secondOrderFactor(kAlpha, kBeta, a);
    const SecondOrderFactor den = secondOrderFactor(kAlpha, kBeta, b);
    const FirstOrderFactor num1 = firstOrderFactor(kK, a);
    const FirstOrderFactor den1 = firstOrderFactor(kK, b);
    dist1 = num.coef1;
    dist2 = num.coef2;
    dist3 = num1.coef;
    comp1 = den.coef1;
    comp2 = den.coef2;
    comp3 = den1.coef;
    gain = num.normaliser * gainFactor * num1.normaliser / den.normaliser / den1.normaliser;
}

void NF_filt3::init(const NF_filt3& other)
{
    gain = other.gain;
    dist1 = other.dist1;
    dist2 = other.dist2;
    dist3 = other.dist3;
    comp1 = other.comp1;
    comp2 = other.comp2;
    comp3 = other.comp3;
}

void NF_filt3::process(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float head =
            secondOrderSection(gain * input[i * stride], dist1, dist2, comp1, comp2, s1, s2, kDenormalGuard);
        output[i * stride] = firstOrderSection(head, dist3, comp3, s3, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt3::process1(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float head = secondOrderPoles(gain * input[i * stride], comp1, comp2, s1, s2, kDenormalGuard);
        output[i * stride] = firstOrderPoles(head, comp3, s3, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt3::reset()
{
    s1 = 0.0f;
    s2 = 0.0f;
    s3 = 0.0f;
}

void NF_filt3::clearMemoryIfNotFinite()
{
    if (!std::isfinite(s1) || !std::isfinite(s2) || !std::isfinite(s3))
        reset();
}
