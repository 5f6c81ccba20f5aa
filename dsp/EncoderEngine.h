#pragma once

#include <cstdint>

#include "dsp/AmbiOrder.h"
#include "dsp/EncoderTargets.h"
#include "dsp/LanePlan.h"

// One per-lane quantity that glides towards its target with the smoother's
// recursion (weight 0.998), or, with weight 0, simply equals its target.
template <int Lanes> struct GlidingLanes {
    float state[Lanes] = {};
    float weight[Lanes] = {};
    float drive[Lanes] = {}; // target weight x target: the recursion's constant term
    float held[Lanes] = {}; // the value a settled lane keeps giving

    void aim(int lane, float target, bool glides);
};

template <int Lanes> struct SecondOrderBank {
    static constexpr int kLanes = Lanes;
    float s1[Lanes] = {};
    float s2[Lanes] = {};
    GlidingLanes<Lanes> gain, comp1, comp2, dist1, dist2;

    void clearMemory(int lane) { s1[lane] = s2[lane] = 0.0f; }
    bool memoryIsFinite(int lane) const;
};

template <int Lanes> struct FirstOrderBank {
    static constexpr int kLanes = Lanes;
    float s1[Lanes] = {};
    GlidingLanes<Lanes> gain, comp1, dist1;

    void clearMemory(int lane) { s1[lane] = 0.0f; }
    bool memoryIsFinite(int lane) const;
};

// The audio thread's whole state, channels and filter sections side by side.
struct EncoderLanes {
    GlidingLanes<kMaxChannels> gains;
    SecondOrderBank<kBankALanes> bankA;
    SecondOrderBank<kBankBLanes> bankB;
    FirstOrderBank<kBankCLanes> bankC;
};

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

    using Kernel = void (*)(EncoderLanes&, const float*, float* const*, int);

private:
    void reset(const EncoderTargets& targets);
    void aim(const EncoderTargets& targets);
    void aimGains(const EncoderTargets& targets);
    void aimFilters(const EncoderTargets& targets);
    bool gainsSettled();
    bool coefficientsSettled();
    void clearNonFiniteMemories();

    const LanePlan& plan_;
    const Kernel (*kernels_)[kNearFieldStages][2];
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
