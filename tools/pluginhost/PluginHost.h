#pragma once

#include "tools/soundfiles/BFormatConvention.h"
#include "plugin/AEffectX.h"

#include <string>
#include <vector>

// One VST 2.x plug-in loaded the way a DAW loads it: dlopen, VSTPluginMain
// with a real host callback, and from then on only the effect record.
class PluginHost {
public:
    // Throws HostError when `path` cannot be loaded or is not a VST 2.x
    // plug-in. `callback` answers the plug-in's requests; the default one
    // answers as a quiet offline host.
    explicit PluginHost(const std::string& path, audioMasterCallback callback = &PluginHost::hostCallback);
    // Suspends, closes the effect and unloads the shared object.
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect& record() { return *effect; }
    const std::string& path() const { return file; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // A text request into a buffer as large as hosts give.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);

    void setParameter(int index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(int index) { return effect->getParameter(effect, index); }
    std::vector<std::string> parameterNames();

    // True for this project's encoder (either plug-in), whose parameters have
    // known units.
    bool isOwnEncoder() const;
    // The convention of this project's encoder's outputs; FuMa for other plug-ins.
    BFormatConvention ownConvention() const;

    // Sample rate, block size and resume, as a host does before playback.
    void start(float sampleRate, int blockSize);
    void stop();

    // Runs one block through the replacing entry (or, for plug-ins without
    // it, the accumulating one on cleared outputs).
    void process(float** inputs, float** outputs, int frames);

    // Where the plug-in of `convention` this build made lives, next to the program.
    static std::string defaultPluginPath(BFormatConvention convention = BFormatConvention::FuMa);

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);

    std::string file;
    void* library = nullptr;
    AEffect* effect = nullptr;
    float rate = 44100.0f;
    int block = 1024;
    bool running = false;
};
