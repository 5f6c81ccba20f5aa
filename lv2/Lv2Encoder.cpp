#include "lv2/Lv2Encoder.h"

#include "effect/ParameterTable.h"

#include <cmath>

std::unique_ptr<Lv2Encoder> Lv2Encoder::create(const Lv2PluginInfo& info, double sampleRate)
{
    const float rate = static_cast<float>(sampleRate);
    if (!std::isfinite(rate) || rate <= 0.0f)
        return nullptr;
    return std::make_unique<Lv2Encoder>(info, rate);
}

Lv2Encoder::Lv2Encoder(const Lv2PluginInfo& info_, float sampleRate)
    : info(info_), encoder(Order3H0V, EncoderControl::encoderWeights(info_.identity.convention)),
      control(encoder, info_.identity.convention)
{
    control.applyNewProgram();
    control.setSampleRate(sampleRate);
    for (int s = 0; s < Lv2PluginInfo::kControlInputs; ++s) {
        inputParameter[s] = info.port(static_cast<std::uint32_t>(s)).parameter;
        taken[s] = control.userValue(inputParameter[s]);
    }
    for (int k = 0; k < Lv2PluginInfo::kPositionOutputs; ++k)
        positionParameter[k] = info.port(Lv2PluginInfo::kPositionXPort + static_cast<std::uint32_t>(k)).parameter;
    control.resume();
}

void Lv2Encoder::connect(std::uint32_t port, void* data)
{
    if (port >= info.numPorts())
        return;
    if (port < Lv2PluginInfo::kPositionXPort)
        controlIn[port] = static_cast<const float*>(data);
    else if (port < Lv2PluginInfo::kInputPort)
        positionOut[port - Lv2PluginInfo::kPositionXPort] = static_cast<float*>(data);
    else if (port == Lv2PluginInfo::kInputPort)
        audioIn = static_cast<const float*>(data);
    else
        audioOut[port - Lv2PluginInfo::kFirstOutputPort] = static_cast<float*>(data);
}

void Lv2Encoder::activate()
{
    startFromRest = true;
}

void Lv2Encoder::run(std::uint32_t frames)
{
    takeControls();
    if (startFromRest) {
        control.resume();
        startFromRest = false;
    }
    if (frames > 0) {
        const float* inputs[] = {audioIn};
        control.render(inputs, audioOut, static_cast<int>(frames));
    }
    showPosition();
}

// Each input that changed is applied as the VST 2.x effect applies a
// parameter change, in parameter order. A value that is not finite, or so
// far outside its range that the encoder's arithmetic would overflow,
// changes nothing; it is looked at again at the next run().
void Lv2Encoder::takeControls()
{
    for (int s = 0; s < Lv2PluginInfo::kControlInputs; ++s) {
        if (controlIn[s] == nullptr)
            continue;
        const float value = *controlIn[s];
        if (value == taken[s])
            continue;
        const int parameter = inputParameter[s];
        const float normalised = ParameterTable::normalisedFromUser(parameter, value);
        if (!ParameterTable::acceptsValue(normalised))
            continue;
        control.setParameter(parameter, normalised);
        taken[s] = value;
    }
}

void Lv2Encoder::showPosition()
{
    for (int k = 0; k < Lv2PluginInfo::kPositionOutputs; ++k)
        if (positionOut[k] != nullptr)
            *positionOut[k] = control.quantity(positionParameter[k]);
}
