#include "tests/windows/LoadedPlugin.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstring>
#include <stdexcept>

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

#ifdef _WIN32
void* openLibrary(const std::string& path, Entry& entry)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        throw std::runtime_error("LoadLibrary failed with error " + std::to_string(GetLastError()));
    entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, "VSTPluginMain")));
    return module;
}
void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* openLibrary(const std::string& path, Entry& entry)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    return library;
}
void closeLibrary(void* library)
{
    dlclose(library);
}
#endif

} // namespace

LoadedPlugin::LoadedPlugin(const std::string& path, audioMasterCallback host)
{
    Entry entry = nullptr;
    library = openLibrary(path, entry);
    if (!entry || !(effect = entry(host))) {
        closeLibrary(library);
        throw std::runtime_error("VSTPluginMain is missing or gave no effect");
    }
    dispatch(effOpen);
}

LoadedPlugin::~LoadedPlugin()
{
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
    closeLibrary(library);
}

VstIntPtr LoadedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string LoadedPlugin::text(VstInt32 opcode, VstInt32 index)
{
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

void LoadedPlugin::start(float sampleRate, int blockSize)
{
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

void LoadedPlugin::process(const float* input, size_t frames, std::vector<std::vector<float>>& outputs)
{
    const size_t channels = size_t(effect->numOutputs);
    outputs.resize(channels);
    std::vector<float> in(input, input + frames);
    std::vector<std::vector<float>> out(channels, std::vector<float>(frames, 0.f));
    float* inputs[] = {in.data()};
    std::vector<float*> outs(channels);
    for (size_t c = 0; c < channels; ++c)
        outs[c] = out[c].data();
    effect->processReplacing(effect, inputs, outs.data(), VstInt32(frames));
    for (size_t c = 0; c < channels; ++c)
        outputs[c].insert(outputs[c].end(), out[c].begin(), out[c].end());
}
