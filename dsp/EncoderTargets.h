#pragma once

#include <cstdint>

#include "dsp/AmbiLayout.h"

// What runs after the gains: nothing (compensation off), the full near-field
// filters (a near source) or their compensation poles only (the far source).
enum class NearFieldStage : uint8_t { Off, Full, CompensationOnly };

constexpr int kNearFieldStages = 3;

// One filter order's coefficient set; every filter of that order shares it.
struct NearFieldCoefs {
    float gain = 0.0f;
    float dist[4] = {}; // dist1 .. dist4, as far as the order has them
    float comp[4] = {};
};

// Everything the audio thread needs to render blocks: computed by the update
// operations and handed over whole.
struct EncoderTargets {
    float gains[kMaxChannels] = {};
    NearFieldStage stage = NearFieldStage::Off;
    NearFieldCoefs filters[kMaxFilterOrder]; // index = order - 1
};

// The message from the control side to the audio thread: the newest targets,
// and, when resets differs from what the audio thread last saw, the targets as
// they were at the newest reset, which the smoothers then jump to.
struct EncoderUpdate {
    EncoderTargets now;
    EncoderTargets atReset;
    uint32_t resets = 0;
};
