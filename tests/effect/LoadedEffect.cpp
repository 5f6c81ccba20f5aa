#include "tests/effect/LoadedEffect.h"

#include <cstring>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

constexpr size_t kBufferSize = 256;
constexpr char kFill = 'Z';

VstIntPtr answerHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

} // namespace

void* LoadedEffect::library(const char* path)
{
    // Loaded by the first test that needs it, kept for the others.
    static std::mutex lock;
    static std::map<std::string, void*> handles;
    const std::lock_guard<std::mutex> held(lock);
    void*& handle = handles[path];
    if (handle == nullptr)
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw std::runtime_error(std::string("cannot load the plug-in: ") + dlerror());
    return handle;
}

LoadedEffect::LoadedEffect(audioMasterCallback host) : LoadedEffect(VELMORA_PLUGIN_PATH, host) {}

LoadedEffect::LoadedEffect(const char* path, audioMasterCallback host)
{
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library(path), "VSTPluginMain"));
    if (entry == nullptr || (effect = entry(host ? host : answerHost)) == nullptr)
        throw std::runtime_error("the plug-in did not start");
}

LoadedEffect::~LoadedEffect()
{
    if (effect != nullptr)
        close();
}

VstIntPtr LoadedEffect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string LoadedEffect::text(VstInt32 opcode, VstInt32 index)
{
    char buffer[kBufferSize];
    std::memset(buffer, kFill, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    if (buffer[0] == kFill)
        return "<untouched>";
    buffer[kBufferSize - 1] = '\0';
    return buffer;
}

std::vector<std::vector<float>> LoadedEffect::run(const std::vector<float>& input, bool accumulatingEntry)
{
    const size_t count = static_cast<size_t>(effect->numOutputs);
    std::vector<std::vector<float>> outputs(count, std::vector<float>(input.size(), 123.0f));
    std::vector<float> in(input);
    float* inputs[] = {in.data()};
    std::vector<float*> outs(count);
    for (size_t c = 0; c < count; ++c)
        outs[c] = outputs[c].data();
    const VstInt32 frames = static_cast<VstInt32>(input.size());
    if (accumulatingEntry)
        effect->process(effect, inputs, outs.data(), frames);
    else
        effect->processReplacing(effect, inputs, outs.data(), frames);
    return outputs;
}

VstIntPtr LoadedEffect::close()
{
    const VstIntPtr answer = dispatch(effClose);
    effect = nullptr;
    return answer;
}
