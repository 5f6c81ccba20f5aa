// The one symbol a host looks up. Compiled into each plug-in shared object by
// velmora_add_plugin (not into the velmora_plugin library, whose symbols the
// shared object keeps to itself).
#include "plugin/AudioEffect.h"

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback hostCallback) noexcept;

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback) noexcept
{
    if (!hostCallback)
        return nullptr;
    try {
        // A host that answers 0 to the version request does not speak VST 2.x.
        if (hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;
        AudioEffect* effect = createEffectInstance(hostCallback);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        // Out of memory or any other failure while building the effect: the
        // host gets no effect rather than an exception it cannot handle.
        return nullptr;
    }
}
