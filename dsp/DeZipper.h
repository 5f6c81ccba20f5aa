#pragma once

#include "dsp/DenormalGuard.h"

// One-pole smoother that glides a control value towards its target, one step
// per sample, with a time constant of about 500 samples at any sample rate.
class DeZipper {
public:
    static constexpr float kStateWeight = 0.998f;
    // Exactly 1 - kStateWeight in single precision (not the float nearest 0.002),
    // so that the two weights add up to exactly 1.
    static constexpr float kTargetWeight = 1.0f - kStateWeight;

    DeZipper() = default;

    float smooth(float target)
    {
        const float y = targetWeight * target + stateWeight * state;
        state = y + kDenormalGuard;
        return y;
    }

    void init(float value) { state = value; }

    float state = 0.0f;
    float stateWeight = kStateWeight;
    float targetWeight = kTargetWeight;
};
