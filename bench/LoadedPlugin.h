#pragma once

#include <string>

#include "plugin/AEffect.h"

// A plug-in shared object as a DAW holds it: loaded by path with dlopen, its
// exported VSTPluginMain called for each instance. Nothing of the plug-in is
// linked into the benchmark, so the same program can time any build of it.
class LoadedPlugin {
public:
    // Throws std::runtime_error when the object cannot be loaded or has no entry point.
    LoadedPlugin(std::string label, const std::string& path);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const std::string& label() const { return label_; }
    // A new instance, opened as hosts open one, or null when the plug-in refused.
    AEffect* instantiate(audioMasterCallback host) const;
    // Closes an instance instantiate() made.
    static void release(AEffect* effect);

private:
    using Entry = AEffect* (*)(audioMasterCallback);

    std::string label_;
    void* library_ = nullptr;
    Entry entry_ = nullptr;
};
