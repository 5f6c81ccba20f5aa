#pragma once

#include "dsp/AmbiLayout.h"
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
