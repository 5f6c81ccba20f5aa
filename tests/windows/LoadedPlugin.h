#pragma once

// A plug-in file loaded as a host loads it (LoadLibrary on Windows, dlopen
// elsewhere), started through VSTPluginMain with the given host callback,
// and then driven only through its effect record. The same source builds
// the Windows test host and its Linux twin, so that both plug-ins are asked
// exactly the same things.

#include "plugin/AEffectX.h"

#include <string>
#include <vector>

class LoadedPlugin {
public:
    // Throws std::runtime_error when the file does not load or start.
    LoadedPlugin(const std::string& path, audioMasterCallback host);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // A text request into a buffer of 256 bytes.
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void set(int index, float value) { effect->setParameter(effect, index, value); }
    float get(int index) { return effect->getParameter(effect, index); }

    // Sample rate, block size and resume, as a host does before processing.
    void start(float sampleRate, int blockSize);
    // Runs frames of input through processReplacing in blocks of the
    // given size; each output channel is appended to `outputs`.
    void process(const float* input, size_t frames, std::vector<std::vector<float>>& outputs);

private:
    void* library = nullptr;
    AEffect* effect = nullptr;
};
