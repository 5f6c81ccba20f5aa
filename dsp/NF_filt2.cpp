#include "dsp/NF_filt2.h"

#include <cmath>

#include "dsp/BesselFactor.h"
#include "dsp/IntegratorSection.h"

namespace {
constexpr float kAlpha = 3.0f;
constexpr float kBeta = 3.0f;
} // namespace

void NF_filt2::init(float sourceCoef, float compCoef, float gainFactor)
{
    const SecondOrderFactor num = secondOrderFactor(kAlpha, kBeta, 0.5f * sourceCoef);
    const SecondOrderFactor den = secondOrderFactor(kAlpha, kBeta, 0.5f * compCoef);
    dist1 = num.coef1;
    dist2 = num.coef2;
    comp1 = den.coef1;
    comp2 = den.coef2;
    gain = num.normaliser * gainFactor / den.normaliser;
}

void NF_filt2::init(const NF_filt2& other)
{
    gain = other.gain;
    dist1 = other.dist1;
    dist2 = other.dist2;
    comp1 = other.comp1;
    comp2 = other.comp2;
}

void NF_filt2::process(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float g = gainSmoother.smooth(gain);
        const float d1 = dist1Smoother.smooth(dist1);
        const float d2 = dist2Smoother.smooth(dist2);
        const float c1 = comp1Smoother.smooth(comp1);
        const float c2 = comp2Smoother.smooth(comp2);
        output[i * stride] =
            secondOrderSection(g * input[i * stride], d1, d2, c1, c2, s1, s2, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt2::process1(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float g = gainSmoother.smooth(gain);
        const float c1 = comp1Smoother.smooth(comp1);
        const float c2 = comp2Smoother.smooth(comp2);
        output[i * stride] = secondOrderPoles(g * input[i * stride], c1, c2, s1, s2, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt2::reset()
{
    s1 = 0.0f;
    s2 = 0.0f;
    gainSmoother.init(gain);
    dist1Smoother.init(dist1);
    dist2Smoother.init(dist2);
    comp1Smoother.init(comp1);
    comp2Smoother.init(comp2);
}

void NF_filt2::clearMemoryIfNotFinite()
{
    if (!std::isfinite(s1) || !std::isfinite(s2)) {
        s1 = 0.0f;
        s2 = 0.0f;
    }
}
