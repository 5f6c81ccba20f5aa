#pragma once

#include "effect/OutputConvention.h"

// What makes one shipped plug-in different from the other: the names and ID a
// host files it under, its outputs and how they carry the signal. Everything
// else (parameters, programs, editor, engine) is the same effect. Each
// format's composition root picks one per plug-in object; nothing here
// belongs to one plug-in format.
struct EffectIdentity {
    const char* product; // effect and product name
    const char* uniqueId; // the four characters a VST 2.x host files the plug-in under
    OutputConvention convention;
    int numOutputs;
    const char* const* outputLabels; // numOutputs labels
    // Whether the effect answers the speaker-arrangement request (mono in,
    // numOutputs user-defined channels out) or leaves it to the host.
    bool declaresSpeakers;

    static const EffectIdentity& fuma();
    static const EffectIdentity& ambix();
};
