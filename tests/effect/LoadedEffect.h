#pragma once

#include "plugin/AEffectX.h"

#include <string>
#include <vector>

// The built plug-in as a host sees it: loaded with dlopen, started through
// VSTPluginMain, driven only through its effect record.
class LoadedEffect {
public:
    // Started with a host that answers only its version, or with `host`.
    explicit LoadedEffect(audioMasterCallback host = nullptr);
    ~LoadedEffect();
    LoadedEffect(const LoadedEffect&) = delete;
    LoadedEffect& operator=(const LoadedEffect&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // A text request into a 256-byte buffer pre-filled with 'Z'; an untouched
    // buffer reads back as "<untouched>".
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void set(int index, float value) { effect->setParameter(effect, index, value); }
    float get(int index) { return effect->getParameter(effect, index); }
    std::string display(int index) { return text(effGetParamDisplay, index); }

    // Runs `input` through processReplacing (or the accumulating entry) and
    // returns the seven outputs.
    std::vector<std::vector<float>> run(const std::vector<float>& input, bool accumulatingEntry = false);

    // Closes the effect through the record; answers what the host gets.
    VstIntPtr close();

    static void* library();

private:
    AEffect* effect = nullptr;
};
