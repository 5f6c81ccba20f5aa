#pragma once

// Third-order near-field filter: a second-order section (Bessel factor
// 1 + 3.6778p + 6.4595p^2) followed by a first-order one (1 + 2.3222p). Its
// coefficients are used as they are, without smoothers; a new coefficient set
// keeps the memory, so a moving source does not click.
class NF_filt3 {
public:
    NF_filt3() = default;

    void init(float sourceCoef, float compCoef, float gainFactor);
    void init(const NF_filt3& other); // coefficients only, the memory stays
    void process(int sampleFrames, const float* input, float* output, int stride);
    void process1(int sampleFrames, const float* input, float* output, int stride);
    void reset();

    float gain = 0.0f;
    float dist1 = 0.0f;
    float dist2 = 0.0f;
    float dist3 = 0.0f;
    float comp1 = 0.0f;
    float comp2 = 0.0f;
    float comp3 = 0.0f;
    float s1 = 0.0f;
    float s2 = 0.0f;
    float s3 = 0.0f;

private:
    void clearMemoryIfNotFinite();
};
