// The editor side of the VST 2.x interface: what the host's editor opcodes
// reach. The effect owns its editor and destroys it; the host never does.
#pragma once

#include "plugin/AEffectX.h"

class AudioEffect;

class AEffEditor {
public:
    // Does not register with the effect: the toolkit's editor base does that
    // through AudioEffect::setEditor once it is fully set up.
    explicit AEffEditor(AudioEffect* effect = nullptr);
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual ~AEffEditor();
    virtual AudioEffect* getEffect();
    virtual bool getRect(ERect** rect);
    virtual bool open(void* ptr);
    virtual void close();
    virtual bool isOpen();
    virtual void idle();
    virtual void __drawDeprecated(ERect* rect);
    virtual VstInt32 __mouseDeprecated(VstInt32 x, VstInt32 y);
    virtual VstInt32 __keyDeprecated(VstInt32 value);
    virtual void __topDeprecated();
    virtual void __sleepDeprecated();
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(float distance);
    virtual bool setKnobMode(VstInt32 mode);

protected:
    AudioEffect* effect;
    void* parentWindow; // the host's window while open, otherwise null
};
