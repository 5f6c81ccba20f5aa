#pragma once

// The two section shapes every near-field filter is chained from, one sample
// at a time: a first-order section (1 + d1 u) / (1 + c1 u) and a second-order
// section (1 + d1 u + d2 u^2) / (1 + c1 u + c2 u^2), u = 1/(z - 1), built on
// integrators (s += w per sample). `in` is the section's input, already scaled
// by the filter's gain in the first section of a chain. `guard` is the
// denormal guard, added once per section.
//
// The scalar filters call these with float and the encoder's audio path with
// four lanes at a time, so both round every lane the same way.

// Source zeros and compensation poles.
template <typename T> T firstOrderSection(T in, T d1, T c1, T& s1, T guard)
{
    const T w = in - c1 * s1 + guard;
    const T y = w + d1 * s1;
    s1 = s1 + w;
    return y;
}

template <typename T> T secondOrderSection(T in, T d1, T d2, T c1, T c2, T& s1, T& s2, T guard)
{
    const T w = in - c1 * s1 - c2 * s2 + guard;
    const T y = w + d1 * s1 + d2 * s2;
    s2 = s2 + s1;
    s1 = s1 + w;
    return y;
}

// Compensation poles only, for the far source, whose zeros are all 0.
template <typename T> T firstOrderPoles(T in, T c1, T& s1, T guard)
{
    const T w = in - (c1 * s1 + guard);
    s1 = s1 + w;
    return w;
}

template <typename T> T secondOrderPoles(T in, T c1, T c2, T& s1, T& s2, T guard)
{
    const T w = in - (c1 * s1 + c2 * s2 + guard);
    s2 = s2 + s1;
    s1 = s1 + w;
    return w;
}
