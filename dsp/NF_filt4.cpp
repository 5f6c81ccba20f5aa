#include "dsp/NF_filt4.h"

#include <cmath>

#include "dsp/BesselFactor.h"
#include "dsp/DenormalGuard.h"
#include "dsp/IntegratorSection.h"

namespace {
constexpr float kAlpha1 = 4.2076f;
constexpr float kBeta1 = 11.4877f;
constexpr float kAlpha2 = 5.7924f;
constexpr float kBeta2 = 9.1401f;
} // namespace

void NF_filt4::init(float sourceCoef, float compCoef, float gainFactor)
{
    const float a = 0.5f * sourceCoef;
    const float b = 0.5f * compCoef;
    const SecondOrderFactor num1 = secondOrderFactor(kAlpha1, kBeta1, a);
    const SecondOrderFactor den1 = secondOrderFactor(kAlpha1, kBeta1, b);
    const SecondOrderFactor num2 = secondOrderFactor(kAlpha2, kBeta2, a);
    const SecondOrderFactor den2 = secondOrderFactor(kAlpha2, kBeta2, b);
    dist1 = num1.coef1;
    dist2 = num1.coef2;
    dist3 = num2.coef1;
    dist4 = num2.coef2;
    comp1 = den1.coef1;
    comp2 = den1.coef2;
    comp3 = den2.coef1;
    comp4 = den2.coef2;
    gain = num1.normaliser * gainFactor * num2.normaliser / den1.normaliser / den2.normaliser;
}

void NF_filt4::init(const NF_filt4& other)
{
    gain = other.gain;
    dist1 = other.dist1;
    dist2 = other.dist2;
    dist3 = other.dist3;
    dist4 = other.dist4;
    comp1 = other.comp1;
    comp2 = other.comp2;
    comp3 = other.comp3;
    comp4 = other.comp4;
}

void NF_filt4::process(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float head =
            secondOrderSection(gain * input[i * stride], dist1, dist2, comp1, comp2, s1, s2, kDenormalGuard);
        output[i * stride] = secondOrderSection(head, dist3, dist4, comp3, comp4, s3, s4, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt4::process1(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float head = secondOrderPoles(gain * input[i * stride], comp1, comp2, s1, s2, kDenormalGuard);
        output[i * stride] = secondOrderPoles(head, comp3, comp4, s3, s4, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt4::reset()
{
    s1 = 0.0f;
    s2 = 0.0f;
    s3 = 0.0f;
    s4 = 0.0f;
}

void NF_filt4::clearMemoryIfNotFinite()
{
    if (!std::isfinite(s1) || !std::isfinite(s2) || !std::isfinite(s3) || !std::isfinite(s4))
        reset();
}
