#include "tools/pluginhost/PluginHost.h"

#include "tools/HostError.h"

#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

constexpr VstInt32 kOwnFuMaId = vstFourCharCode('N', 'b', '2', 'q');
constexpr VstInt32 kOwnAmbiXId = vstFourCharCode('N', 'b', '2', 'a');
constexpr int kOwnEncoderParameters = 7;
// Hosts give generous text buffers; so do we.
constexpr size_t kTextBufferSize = 256;

const char kHostVendor[] = "Velmora";
const char kHostProduct[] = "velmora command-line host";
const char kFuMaFileName[] = "corvane-velmora-xy3-2d.so";
const char kAmbiXFileName[] = "corvane-velmora-xy3-2d-ambix.so";

void copyText(void* destination, const char* text, size_t limit)
{
    char* out = static_cast<char*>(destination);
    std::strncpy(out, text, limit);
    out[limit] = '\0';
}

std::string programFolder()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return ".";
    buffer[length] = '\0';
    std::string path(buffer);
    return path.substr(0, path.rfind('/'));
}

} // namespace

PluginHost::PluginHost(const std::string& path, audioMasterCallback callback) : file(path)
{
    if (access(path.c_str(), F_OK) != 0)
        throw HostError(path + ": " + std::strerror(errno));
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        throw HostError(path + ": not a loadable plug-in (" + dlerror() + ")");
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain"));
    if (entry == nullptr) {
        dlclose(library);
        throw HostError(path + ": not a VST 2.x plug-in (no VSTPluginMain)");
    }
    effect = entry(callback);
    if (effect == nullptr || effect->magic != kEffectMagic) {
        dlclose(library);
        throw HostError(path +
                        (effect == nullptr ? ": the plug-in declined to start"
                                           : ": not a VST 2.x plug-in (bad effect record)"));
    }
    effect->user = this;
    dispatch(effOpen);
}

PluginHost::~PluginHost()
{
    stop();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(library);
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index, VstIntPtr value)
{
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBufferSize - 1] = '\0';
    return buffer;
}

std::vector<std::string> PluginHost::parameterNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < effect->numParams; ++i)
        names.push_back(text(effGetParamName, i));
    return names;
}

bool PluginHost::isOwnEncoder() const
{
    return (effect->uniqueID == kOwnFuMaId || effect->uniqueID == kOwnAmbiXId) &&
        effect->numParams == kOwnEncoderParameters;
}

BFormatConvention PluginHost::ownConvention() const
{
    return isOwnEncoder() && effect->uniqueID == kOwnAmbiXId ? BFormatConvention::AmbiX
                                                             : BFormatConvention::FuMa;
}

void PluginHost::start(float sampleRate, int blockSize)
{
    stop();
    rate = sampleRate;
    block = blockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, block);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void PluginHost::stop()
{
    if (!running)
        return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginHost::process(float** inputs, float** outputs, int frames)
{
    if (effect->flags & effFlagsCanReplacing) {
        effect->processReplacing(effect, inputs, outputs, frames);
        return;
    }
    for (int c = 0; c < effect->numOutputs; ++c)
        std::memset(outputs[c], 0, sizeof(float) * static_cast<size_t>(frames));
    effect->process(effect, inputs, outputs, frames);
}

std::string PluginHost::defaultPluginPath(BFormatConvention convention)
{
    const bool ambix = convention == BFormatConvention::AmbiX;
    const std::string besideProgram = programFolder() + "/../" + (ambix ? kAmbiXFileName : kFuMaFileName);
    if (access(besideProgram.c_str(), F_OK) == 0)
        return besideProgram;
    return std::string(VELMORA_BUILD_FOLDER "/") + (ambix ? kAmbiXFileName : kFuMaFileName);
}

VstIntPtr PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    const PluginHost* host = effect != nullptr ? static_cast<const PluginHost*>(effect->user) : nullptr;
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterGetSampleRate: return host != nullptr ? static_cast<VstIntPtr>(host->rate) : 0;
    case audioMasterGetBlockSize: return host != nullptr ? host->block : 0;
    case audioMasterGetVendorString: copyText(ptr, kHostVendor, kVstMaxVendorStrLen - 1); return 1;
    case audioMasterGetProductString: copyText(ptr, kHostProduct, kVstMaxProductStrLen - 1); return 1;
    case audioMasterGetVendorVersion: return 1;
    case audioMasterGetCurrentProcessLevel: return kVstProcessLevelOffline;
    default:
        // Automation, idle, gestures and every question we have no answer to.
        return 0;
    }
}
