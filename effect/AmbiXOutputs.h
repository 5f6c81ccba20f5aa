#pragma once

#include "dsp/NelAmbisonicEncoder.h"

// The effect's outputs in the AmbiX convention, from the one encoder: its
// gains carry the SN3D factors (encoderWeights), its seven channels are
// rendered straight into their places in a sixteen-channel ACN frame, and the
// nine channels with a height term are written as exact zeros, the usual way
// to carry a horizontal-only signal in a full third-order frame.
class AmbiXOutputs {
public:
    // The factor of each of the encoder's seven channels (W X Y U V P Q), for
    // its constructor.
    static const double* encoderWeights();

    // Renders one block into outputs[0..15]. The input may be any of the
    // outputs. Writes nothing when the input or an output is missing.
    static void render(NelAmbisonicEncoder& encoder, const float* const* inputs, float* const* outputs,
                       int frames);
};
