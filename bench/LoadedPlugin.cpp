#include "bench/LoadedPlugin.h"

#include <dlfcn.h>

#include <stdexcept>

LoadedPlugin::LoadedPlugin(std::string label, const std::string& path) : label_(std::move(label))
{
    // RTLD_LOCAL, as hosts load plug-ins: two builds of one plug-in in one
    // process keep to their own code.
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr)
        throw std::runtime_error("cannot load " + path + ": " + dlerror());
    entry_ = reinterpret_cast<Entry>(dlsym(library_, "VSTPluginMain"));
    if (entry_ == nullptr) {
        dlclose(library_);
        throw std::runtime_error(path + " exports no VSTPluginMain");
    }
}

LoadedPlugin::~LoadedPlugin()
{
    dlclose(library_);
}

AEffect* LoadedPlugin::instantiate(audioMasterCallback host) const
{
    AEffect* effect = entry_(host);
    if (effect != nullptr)
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
}

void LoadedPlugin::release(AEffect* effect)
{
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
