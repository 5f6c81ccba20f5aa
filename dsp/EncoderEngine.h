#pragma once

#include <cstdint>

#include "dsp/AmbiOrder.h"
#include "dsp/EncoderKernels.h"
#include "dsp/EncoderLanes.h"
#include "dsp/EncoderTargets.h"
#include "dsp/LanePlan.h"

// The audio-thread half of the encoder: per-sample gain smoothing and the
// near-field filters of one layout, run from published targets only.
class EncoderEngine {
public:
    explicit EncoderEngine(AmbiOrder order);

    // Adopts a newly published update: jumps to its reset targets when it
    // carries a reset not seen yet, then glides towards its current targets.
    void take(const EncoderUpdate& update);

    // Renders one block; the input may be one of the outputs.
    void render(const float* input, float* const* outputs, int frames);

private:
    void reset(const EncoderTargets& targets);
    void aim(const EncoderTargets& targets);
    void aimGains(const EncoderTargets& targets);
    void aimFilters(const EncoderTargets& targets);
    bool gainsSettled();
    bool coefficientsSettled();
    bool memoriesFinite() const;
    void clearNonFiniteMemories();

    const LanePlan& plan_;
    const EncoderKernels::Table& kernels_;
    EncoderLanes lanes_;
    NearFieldStage stage_ = NearFieldStage::Off;
    uint32_t resets_ = 0;
    // What the lanes were last aimed at: an update that leaves the gains or
    // the filters as they were need not aim those again (a moving source
    // changes its gains on every block, its filters seldom).
    EncoderTargets aimedAt_;
    bool aimed_ = false;
    // Once every lane of a group has settled, it stays settled until the
    // next aim or reset of that group: the held kernels leave its state as
    // it is, so settling it again would give the same held values.
    bool gainsSettled_ = false;
    bool coefficientsSettled_ = false;
};
