#pragma once

#include "dsp/NelAmbisonicEncoder.h"
#include "effect/OutputConvention.h"
#include "effect/ParameterTable.h"

// The rules every plug-in format applies to its encoder, written once: a
// parameter's normalised value mapped into the encoder's quantity and the
// update that quantity needs (the other view of the position follows, and a
// point outside the 4 m circle is pulled in onto it), the sample rate, the
// reset, and the block render in the output convention.
//
// It drives an encoder its owner holds and keeps no state of its own, so it
// takes the encoder's threading: one control thread at a time calls the
// parameter, rate and reset operations, and render runs on the audio thread.
class EncoderControl {
public:
    // The per-channel weights the encoder must be built with for a
    // convention (null for FuMa, whose weights are the encoder's own).
    static const double* encoderWeights(OutputConvention convention);

    // `encoder` must be built with encoderWeights(convention) and outlive this.
    EncoderControl(NelAmbisonicEncoder& encoder, OutputConvention convention);

    // Writes the parameter's quantity from a normalised value and brings the
    // encoder up to date. The index must be valid; the value is mapped as it
    // is (callers turn away values ParameterTable::acceptsValue refuses).
    void setParameter(int index, float normalised);
    // The position of a new program, reached as the VST 2.x effect reaches
    // it: every parameter's initial value applied in index order.
    void applyNewProgram();
    // The encoder's quantity behind a parameter (radians or metres), and the
    // normalised value it reads back as.
    float quantity(int index) const { return encoder.*fields[index]; }
    float normalised(int index) const;
    // The same in the parameter's user units (degrees or metres).
    float userValue(int index) const;

    // A rate that is zero, negative or not finite is ignored.
    void setSampleRate(float rate);
    // Clears the filter memories; the glides start at their targets.
    void resume();

    // Reads inputs[0] and overwrites every output of the convention (7 or
    // 16); the input may be one of the outputs.
    void render(const float* const* inputs, float* const* outputs, int frames);

private:
    NelAmbisonicEncoder& encoder;
    const OutputConvention convention;
    // The encoder field behind each parameter, as the parameter table says:
    // read for every parameter after every applied change.
    float NelAmbisonicEncoder::*fields[ParameterTable::kCount];
};
