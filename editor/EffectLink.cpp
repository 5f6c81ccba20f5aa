#include "editor/EffectLink.h"

#include "plugin/AudioEffect.h"
#include "plugin/AudioEffectX.h"

EffectLink::EffectLink(AudioEffect* effect_) : effect(effect_) {}

float EffectLink::parameter(int index)
{
    return effect ? effect->getParameter(index) : 0.f;
}

void EffectLink::parameterText(int index, char* text)
{
    text[0] = 0;
    if (effect)
        effect->getParameterDisplay(index, text);
}

void EffectLink::beginGesture(int index)
{
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->beginEdit(index);
}

void EffectLink::change(int index, float normalised)
{
    if (effect)
        effect->setParameterAutomated(index, normalised);
}

void EffectLink::endGesture(int index)
{
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->endEdit(index);
}

bool EffectLink::resizeWindow(int width, int height)
{
    auto* fx = dynamic_cast<AudioEffectX*>(effect);
    return fx && fx->sizeWindow(width, height);
}
