#pragma once

// Fourth-order near-field filter: two second-order sections (Bessel factors
// 1 + 4.2076p + 11.4877p^2 and 1 + 5.7924p + 9.1401p^2) in series, with
// coefficients used as they are, like NF_filt3.
class NF_filt4 {
public:
    NF_filt4() = default;

    void init(float sourceCoef, float compCoef, float gainFactor);
    void init(const NF_filt4& other); // coefficients only, the memory stays
    void process(int sampleFrames, const float* input, float* output, int stride);
    void process1(int sampleFrames, const float* input, float* output, int stride);
    void reset();

    float gain = 0.0f;
    float dist1 = 0.0f;
    float dist2 = 0.0f;
    float dist3 = 0.0f;
    float dist4 = 0.0f;
    float comp1 = 0.0f;
    float comp2 = 0.0f;
    float comp3 = 0.0f;
    float comp4 = 0.0f;
    float s1 = 0.0f;
    float s2 = 0.0f;
    float s3 = 0.0f;
    float s4 = 0.0f;

private:
    void clearMemoryIfNotFinite();
};
