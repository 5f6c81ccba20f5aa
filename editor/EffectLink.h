#pragma once

#include "editor/EditorLink.h"

class AudioEffect;

// The editor's link to a VST 2.x effect: values and texts from its
// parameter calls, changes as automation (setParameterAutomated), gestures
// as the host's begin and end of an edit, window sizes through the host.
// A missing effect holds nothing and takes nothing.
class EffectLink : public EditorLink {
public:
    explicit EffectLink(AudioEffect* effect);

    float parameter(int index) override;
    void parameterText(int index, char* text) override;
    void beginGesture(int index) override;
    void change(int index, float normalised) override;
    void endGesture(int index) override;
    bool resizeWindow(int width, int height) override;

private:
    AudioEffect* const effect;
};
