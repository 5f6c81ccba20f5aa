#include "effect/EncoderControl.h"

#include "effect/AmbiXOutputs.h"
#include "effect/ParameterTable.h"

#include <cmath>

namespace {

// The near-field filters never model a source closer than this.
constexpr float kNearestFilterMetres = NelAmbisonicEncoder::kNearestFilterDistance;

} // namespace

const double* EncoderControl::encoderWeights(OutputConvention convention)
{
    return convention == OutputConvention::AmbiX ? AmbiXOutputs::encoderWeights() : nullptr;
}

EncoderControl::EncoderControl(NelAmbisonicEncoder& encoder_, OutputConvention convention_)
    : encoder(encoder_), convention(convention_)
{
    for (int i = 0; i < ParameterTable::kCount; ++i)
        fields[i] = ParameterTable::info(i).field;
}

void EncoderControl::setParameter(int index, float normalised)
{
    const ParameterInfo& parameter = ParameterTable::info(index);
    const float value = parameter.toEncoder(normalised);
    encoder.*parameter.field = value;
    switch (parameter.update) {
    case ParameterUpdate::Polar: encoder.UpdatePolarCoords(); break;
    case ParameterUpdate::Rectangular: encoder.UpdateRectCoords(); break;
    case ParameterUpdate::SourceDistance:
        encoder.filterDistance = value < kNearestFilterMetres ? kNearestFilterMetres : value;
        encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
        encoder.UpdatePolarCoords();
        break;
    case ParameterUpdate::Compensation:
        encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
        encoder.UpdatePolarCoords();
        break;
    }
}

void EncoderControl::applyNewProgram()
{
    for (int i = 0; i < ParameterTable::kCount; ++i)
        setParameter(i, ParameterTable::info(i).initialValue);
}

float EncoderControl::normalised(int index) const
{
    return ParameterTable::info(index).toNormalised(quantity(index));
}

float EncoderControl::userValue(int index) const
{
    return static_cast<float>(ParameterTable::userFromNormalised(index, normalised(index)));
}

void EncoderControl::setSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f)
        return;
    encoder.sampleRate = rate;
    encoder.SetDistCoef(encoder.filterDistance, encoder.compDistance);
}

void EncoderControl::resume()
{
    encoder.resume();
}

void EncoderControl::render(const float* const* inputs, float* const* outputs, int frames)
{
    if (convention == OutputConvention::AmbiX)
        AmbiXOutputs::render(encoder, inputs, outputs, frames);
    else
        encoder.process(inputs, outputs, frames);
}
