#include "dsp/NF_filt1.h"

#include <cmath>

#include "dsp/BesselFactor.h"
#include "dsp/IntegratorSection.h"

void NF_filt1::init(float sourceCoef, float compCoef, float gainFactor)
{
    const FirstOrderFactor num = firstOrderFactor(1.0f, 0.5f * sourceCoef);
    const FirstOrderFactor den = firstOrderFactor(1.0f, 0.5f * compCoef);
    dist1 = num.coef;
    comp1 = den.coef;
    gain = num.normaliser * gainFactor / den.normaliser;
}

void NF_filt1::init(const NF_filt1& other)
{
    gain = other.gain;
    dist1 = other.dist1;
    comp1 = other.comp1;
}

void NF_filt1::process(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float g = gainSmoother.smooth(gain);
        const float d1 = dist1Smoother.smooth(dist1);
        const float c1 = comp1Smoother.smooth(comp1);
        output[i * stride] = firstOrderSection(g * input[i * stride], d1, c1, s1, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt1::process1(int sampleFrames, const float* input, float* output, int stride)
{
    for (int i = 0; i < sampleFrames; ++i) {
        const float g = gainSmoother.smooth(gain);
        const float c1 = comp1Smoother.smooth(comp1);
        output[i * stride] = firstOrderPoles(g * input[i * stride], c1, s1, kDenormalGuard);
    }
    clearMemoryIfNotFinite();
}

void NF_filt1::reset()
{
    s1 = 0.0f;
    gainSmoother.init(gain);
    dist1Smoother.init(dist1);
    comp1Smoother.init(comp1);
}

// A non-finite input would otherwise stay in the integrator for good.
void NF_filt1::clearMemoryIfNotFinite()
{
    if (!std::isfinite(s1))
        s1 = 0.0f;
}
