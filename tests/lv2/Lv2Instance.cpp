#include "tests/lv2/Lv2Instance.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

void* dspObject()
{
    static void* handle = dlopen(VELMORA_LV2_DSP, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw std::runtime_error(std::string("cannot load the LV2 object: ") + dlerror());
    return handle;
}

} // namespace

const LV2_Descriptor* Lv2Instance::descriptor(const char* uri)
{
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    auto entry = reinterpret_cast<Entry>(dlsym(dspObject(), "lv2_descriptor"));
    if (entry == nullptr)
        throw std::runtime_error("no lv2_descriptor");
    for (uint32_t i = 0; const LV2_Descriptor* d = entry(i); ++i)
        if (std::string(d->URI) == uri)
            return d;
    return nullptr;
}

bool Lv2Instance::instantiates(const char* uri, double rate, const char* bundlePath)
{
    const LV2_Descriptor* d = descriptor(uri);
    LV2_Handle handle = d->instantiate(d, rate, bundlePath, nullptr);
    if (handle != nullptr)
        d->cleanup(handle);
    return handle != nullptr;
}

Lv2Instance::Lv2Instance(const char* uri, int numOutputs) : numOutputs_(numOutputs)
{
    descriptor_ = descriptor(uri);
    if (descriptor_ == nullptr)
        throw std::runtime_error(std::string("no plug-in ") + uri);
    const LV2_Feature* const noFeatures[] = {nullptr};
    handle_ = descriptor_->instantiate(descriptor_, kRate, VELMORA_LV2_BUNDLE, noFeatures);
    if (handle_ == nullptr)
        throw std::runtime_error("instantiate failed");
    for (uint32_t p = 0; p < kControlPorts; ++p)
        connect(p, &control[p]);
    activate();
}

Lv2Instance::~Lv2Instance()
{
    descriptor_->deactivate(handle_);
    descriptor_->cleanup(handle_);
}

void Lv2Instance::run(const float* input, const std::vector<float*>& outputs, uint32_t frames)
{
    connect(kInputPort, const_cast<float*>(input));
    for (int c = 0; c < numOutputs_; ++c)
        connect(kFirstOutput + static_cast<uint32_t>(c), outputs[static_cast<size_t>(c)]);
    descriptor_->run(handle_, frames);
}

std::vector<std::vector<float>> Lv2Instance::render(const std::vector<float>& input,
                                                    const std::vector<uint32_t>& runLengths)
{
    const size_t total = input.size();
    std::vector<std::vector<float>> out(static_cast<size_t>(numOutputs_), std::vector<float>(total));
    std::vector<std::vector<float>> scratch(static_cast<size_t>(numOutputs_));
    std::vector<float*> pointers(static_cast<size_t>(numOutputs_));
    size_t done = 0;
    for (size_t r = 0; done < total; ++r) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(runLengths[r % runLengths.size()], total - done));
        for (int c = 0; c < numOutputs_; ++c) {
            scratch[static_cast<size_t>(c)].assign(n, std::numeric_limits<float>::quiet_NaN());
            pointers[static_cast<size_t>(c)] = scratch[static_cast<size_t>(c)].data();
        }
        run(input.data() + done, pointers, n);
        for (int c = 0; c < numOutputs_; ++c)
            std::copy(scratch[static_cast<size_t>(c)].begin(), scratch[static_cast<size_t>(c)].end(),
                      out[static_cast<size_t>(c)].begin() + static_cast<long>(done));
        done += n;
    }
    return out;
}

std::vector<float> testSignal(std::size_t frames)
{
    std::vector<float> signal(frames);
    uint32_t seed = 12345;
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / 16777216.0 - 0.5;
        phase += 2.0 * M_PI * (50.0 + 4000.0 * static_cast<double>(i) / static_cast<double>(frames)) / 48000.0;
        signal[i] = static_cast<float>(0.5 * std::sin(phase) + 0.2 * noise);
    }
    return signal;
}
