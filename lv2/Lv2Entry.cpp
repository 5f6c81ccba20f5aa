// The DSP object's one export, lv2_descriptor: the two encoder plug-ins as
// LV2 hosts call them. Everything here turns the host's C calls into
// Lv2Encoder's and keeps exceptions from reaching the host.
#include "lv2/Lv2Encoder.h"
#include "lv2/Lv2PluginInfo.h"

#include <lv2/core/lv2.h>

#include <new>

namespace {

Lv2Encoder* encoderOf(LV2_Handle handle)
{
    return static_cast<Lv2Encoder*>(handle);
}

template <int Plugin>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath, const LV2_Feature* const*)
{
    // The bundle's files are not read, but a host that cannot say where the
    // bundle is has not loaded it properly.
    if (bundlePath == nullptr || bundlePath[0] == '\0')
        return nullptr;
    try {
        return Lv2Encoder::create(Lv2PluginInfo::at(Plugin), rate).release();
    } catch (...) {
        return nullptr; // out of memory: the host goes on without this instance
    }
}

void connectPort(LV2_Handle instance, uint32_t port, void* data)
{
    encoderOf(instance)->connect(port, data);
}

void activate(LV2_Handle instance)
{
    encoderOf(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames)
{
    encoderOf(instance)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance)
{
    delete encoderOf(instance);
}

const void* extensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor kDescriptors[Lv2PluginInfo::kCount] = {
    {Lv2PluginInfo::kFuMaUri, instantiate<0>, connectPort, activate, run, deactivate, cleanup, extensionData},
    {Lv2PluginInfo::kAmbiXUri, instantiate<1>, connectPort, activate, run, deactivate, cleanup, extensionData},
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index < Lv2PluginInfo::kCount ? &kDescriptors[index] : nullptr;
}
