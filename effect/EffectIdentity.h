#pragma once

#include "plugin/AEffect.h"

// How the effect's outputs carry the B-format signal.
enum class OutputConvention {
    FuMa, // seven outputs W X Y U V P Q, Furse-Malham weights
    AmbiX, // sixteen outputs ACN 0..15, SN3D weights; the nine with height are silent
};

// What makes one shipped plug-in different from the other: the names and ID a
// host files it under, its outputs and how they carry the signal. Everything
// else (parameters, programs, editor, engine) is the same effect. The
// composition root picks one per plug-in object.
struct EffectIdentity {
    const char* product; // effect and product name
    VstInt32 uniqueId;
    OutputConvention convention;
    int numOutputs;
    const char* const* outputLabels; // numOutputs labels
    // Whether the effect answers the speaker-arrangement request (mono in,
    // numOutputs user-defined channels out) or leaves it to the host.
    bool declaresSpeakers;

    static const EffectIdentity& fuma();
    static const EffectIdentity& ambix();
};
