#pragma once

#include "plugin/AEffectX.h"

#include <string>
#include <vector>

// A built plug-in as a host sees it: loaded with dlopen, started through
// VSTPluginMain, driven only through its effect record.
class LoadedEffect {
public:
    // The plug-in of VELMORA_PLUGIN_PATH, started with a host that answers
    // only its version, or with `host`.
    explicit LoadedEffect(audioMasterCallback host = nullptr);
    // The plug-in object at `path` (loaded once per process).
    LoadedEffect(const char* path, audioMasterCallback host);
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
    // returns every output (each filled with 123 before).
    std::vector<std::vector<float>> run(const std::vector<float>& input, bool accumulatingEntry = false);

    // Closes the effect through the record; answers what the host gets.
    VstIntPtr close();

    static void* library(const char* path = VELMORA_PLUGIN_PATH);

private:
    AEffect* effect = nullptr;
};
