#pragma once

// The near-field filters realise factors (1 + k p) and (1 + alpha p + beta p^2)
// of the Bessel polynomials through the bilinear transform, with integrator
// sections. These give one section's coefficients for one distance
// coefficient w/2 (the source's for the numerator, the array's for the
// denominator), in single precision and in the order the formulas are written:
// w^2 is one rounded product, which the beta terms then scale.

struct FirstOrderFactor {
    float coef; // 2 k w / (1 + k w)
    float normaliser; // 1 + k w
};

inline FirstOrderFactor firstOrderFactor(float k, float halfCoef)
{
    const float kw = k * halfCoef;
    return {2.0f * kw / (kw + 1.0f), kw + 1.0f};
}

struct SecondOrderFactor {
    float coef1; // (2 alpha w + 4 beta w^2) / e
    float coef2; // 4 beta w^2 / e
    float normaliser; // e = 1 + alpha w + beta w^2
};

inline SecondOrderFactor secondOrderFactor(float alpha, float beta, float halfCoef)
{
    const float w = halfCoef;
    const float w2 = w * w;
    const float e = 1.0f + alpha * w + beta * w2;
    return {(2.0f * alpha * w + 4.0f * beta * w2) / e, 4.0f * beta * w2 / e, e};
}
