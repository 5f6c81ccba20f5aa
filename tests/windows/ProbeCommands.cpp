#include "tests/windows/ProbeCommands.h"

#include "effect/ParameterTable.h"
#include "tests/windows/LoadedPlugin.h"
#include "windows/Trigonometry.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace probe {

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

const float kSampleRate = 48000.f;

std::string fourChars(VstInt32 v)
{
    std::string s;
    for (int shift : {24, 16, 8, 0})
        s += char((uint32_t(v) >> shift) & 0xff);
    return s;
}

// Every parameter's value (exactly, in hexadecimal) and text.
void printParameters(LoadedPlugin& fx, const char* prefix)
{
    for (int i = 0; i < fx.record()->numParams; ++i)
        std::printf("%s  %d %a '%s'\n", prefix, i, double(fx.get(i)), fx.text(effGetParamDisplay, i).c_str());
}

// Noise from an integer generator, the same bits on every system, with a
// click at the start: the near-field filters' impulse response shows.
std::vector<float> testSignal(size_t frames)
{
    std::vector<float> s(frames);
    uint32_t state = 12345u;
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        s[i] = float(int32_t(state >> 8) - (1 << 23)) / float(1 << 24);
    }
    s[0] = 1.f;
    return s;
}

// A scene: settings made once before the render, and optionally per block.
struct Scene {
    const char* name;
    std::vector<std::pair<int, float>> settings;
    std::function<void(LoadedPlugin&, int block)> everyBlock;
};

// Settings are normalised values; the moving ones are exact in binary, so
// that both systems set the very same values.
std::vector<Scene> scenes()
{
    return {
        {"front-far", {{kCompensationDistance, 1.f}}, nullptr},
        {"left-near-compensated", {{kAzimuth, 0.25f}, {kDistance, 0.75f}, {kCompensationDistance, 0.375f}}, nullptr},
        {"behind-close", {{kAzimuth, 0.5f}, {kDistance, 0.9375f}, {kCompensationDistance, 0.0625f}}, nullptr},
        {"raised-xyz", {{kX, 0.625f}, {kY, 0.3125f}, {kZ, 0.75f}, {kCompensationDistance, 0.5f}}, nullptr},
        {"moving",
         {{kCompensationDistance, 0.5f}},
         [](LoadedPlugin& fx, int block) {
             // A turn and an approach, one change per block, and the
             // compensation switched on and off now and then.
             fx.set(kAzimuth, float(block % 64) / 64.f);
             fx.set(kDistance, float(block % 48) / 64.f);
             if (block % 40 == 20)
                 fx.set(kCompensationDistance, block % 80 == 20 ? 1.f : 0.25f);
         }},
        {"moving-xy",
         {},
         [](LoadedPlugin& fx, int block) {
             fx.set(kX, float(block % 32) / 32.f);
             fx.set(kY, float((block * 3) % 32) / 32.f);
         }},
    };
}

const Scene* findScene(const std::string& name)
{
    static const std::vector<Scene> all = scenes();
    for (const Scene& s : all)
        if (name == s.name)
            return &s;
    return nullptr;
}

} // namespace

std::string sceneNames()
{
    std::string names;
    for (const Scene& s : scenes())
        names += std::string(names.empty() ? "" : " ") + s.name;
    return names;
}

int record(const std::string& plugin)
{
    LoadedPlugin fx(plugin, quietHost);
    const AEffect* e = fx.record();
    std::printf("magic %s\n", fourChars(e->magic).c_str());
    std::printf("programs %d\nparameters %d\ninputs %d\noutputs %d\n", e->numPrograms, e->numParams,
                e->numInputs, e->numOutputs);
    std::printf("flags 0x%x\nunique-id %s\nversion %d\ninitial-delay %d\n", unsigned(e->flags),
                fourChars(e->uniqueID).c_str(), e->version, e->initialDelay);
    std::printf("entries %d %d %d %d %d\n", e->dispatcher != nullptr, e->setParameter != nullptr,
                e->getParameter != nullptr, e->processReplacing != nullptr, e->process != nullptr);
    std::printf("name '%s'\nvendor '%s'\nproduct '%s'\n", fx.text(effGetEffectName).c_str(),
                fx.text(effGetVendorString).c_str(), fx.text(effGetProductString).c_str());
    std::printf("vendor-version %ld\nvst-version %ld\ncategory %ld\n", long(fx.dispatch(effGetVendorVersion)),
                long(fx.dispatch(effGetVstVersion)), long(fx.dispatch(effGetPlugCategory)));
    for (const char* what : {"supportsViewDpiScaling", "receiveVstEvents", "bypass", "plugAsChannelInsert"})
        std::printf("can-do %s %ld\n", what, long(fx.dispatch(effCanDo, 0, 0, const_cast<char*>(what))));
    for (int i = 0; i < e->numOutputs; ++i) {
        VstPinProperties pin{};
        const VstIntPtr known = fx.dispatch(effGetOutputProperties, i, 0, &pin);
        std::printf("output %d %ld '%s' '%.8s' 0x%x\n", i, long(known), pin.label, pin.shortLabel,
                    unsigned(pin.flags));
    }
    for (int i = 0; i < e->numParams; ++i)
        std::printf("parameter %d '%s' '%s'\n", i, fx.text(effGetParamName, i).c_str(),
                    fx.text(effGetParamLabel, i).c_str());
    for (int i = 0; i < e->numPrograms; ++i)
        std::printf("program %d '%s'\n", i, fx.text(effGetProgramNameIndexed, i).c_str());
    return 0;
}

int texts(const std::string& plugin)
{
    for (int index = 0; index < ParameterTable::kCount; ++index) {
        LoadedPlugin fx(plugin, quietHost);
        for (int i : {kX, kY, kZ})
            fx.set(i, 0.5f);
        std::vector<float> values;
        for (int k = -16; k <= 144; ++k)
            values.push_back(float(k) / 128.f);
        for (float v : {0.675f, 1e-7f, 0.9999999f, 0.3333333f, -3.0f, 7.5f, 1e5f, 0.1f, 0.7f})
            values.push_back(v);
        for (float v : values) {
            fx.set(index, v);
            std::printf("set %d %a\n", index, double(v));
            printParameters(fx, "");
        }
    }
    LoadedPlugin fx(plugin, quietHost);
    for (int p = 0; p < fx.record()->numPrograms; ++p) {
        fx.dispatch(effSetProgram, 0, p);
        std::printf("program %d '%s'\n", p, fx.text(effGetProgramName).c_str());
        printParameters(fx, "");
    }
    return 0;
}

int render(const std::string& plugin, const std::string& sceneName, const std::string& out)
{
    const Scene* scene = findScene(sceneName);
    if (!scene) {
        std::fprintf(stderr, "no scene %s (scenes: %s)\n", sceneName.c_str(), sceneNames().c_str());
        return 2;
    }
    const size_t frames = 24000, block = 256;
    LoadedPlugin fx(plugin, quietHost);
    fx.start(kSampleRate, int(block));
    for (const auto& [index, value] : scene->settings)
        fx.set(index, value);
    const std::vector<float> input = testSignal(frames);
    std::vector<std::vector<float>> outputs;
    for (size_t at = 0, n = 0; at < frames; at += block, ++n) {
        if (scene->everyBlock)
            scene->everyBlock(fx, int(n));
        fx.process(input.data() + at, std::min(block, frames - at), outputs);
    }
    FILE* f = std::fopen(out.c_str(), "wb");
    if (!f)
        return 1;
    bool ok = true;
    for (const auto& channel : outputs)
        ok = ok && std::fwrite(channel.data(), sizeof(float), channel.size(), f) == channel.size();
    ok = std::fclose(f) == 0 && ok;
    std::printf("rendered %s %zu channels %zu frames\n", scene->name, outputs.size(), frames);
    return ok ? 0 : 1;
}

int lifecycle(const std::string& plugin)
{
    const std::vector<float> input = testSignal(512);
    for (int load = 0; load < 3; ++load) {
        LoadedPlugin first(plugin, quietHost), second(plugin, quietHost);
        std::vector<std::vector<float>> out;
        for (LoadedPlugin* fx : {&first, &second}) {
            fx->start(kSampleRate, 512);
            fx->set(kAzimuth, 0.25f * float(load));
            fx->process(input.data(), input.size(), out);
        }
    }
    // A host's thread applies parameter changes (and delivers the reports
    // they cause), then lives on after the plug-in is gone.
    std::mutex lock;
    std::condition_variable changed;
    bool used = false, unloaded = false;
    std::thread automation;
    {
        LoadedPlugin fx(plugin, quietHost);
        automation = std::thread([&] {
            for (int i = 0; i < 200; ++i)
                fx.set(i % kNumParameters, float(i % 10) / 10.f);
            std::unique_lock<std::mutex> hold(lock);
            used = true;
            changed.notify_all();
            changed.wait(hold, [&] { return unloaded; });
        });
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return used; });
    }
    {
        const std::lock_guard<std::mutex> hold(lock);
        unloaded = true;
    }
    changed.notify_all();
    automation.join();
    std::printf("lifecycle ok\n");
    return 0;
}

int trig()
{
    uint64_t state = 7, hash = 1469598103934665603ull;
    const auto uniform = [&](double range) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (double(state >> 11) / 9007199254740992.0 * 2.0 - 1.0) * range;
    };
    const auto mix = [&](double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        hash = (hash ^ bits) * 1099511628211ull;
    };
    for (int i = 0; i < 1000000; ++i) {
        const double x = uniform(i % 2 ? 10.0 : 1e5), y = uniform(1.0);
        double s = 0, c = 0;
        Trigonometry::sincos(x, &s, &c);
        mix(s);
        mix(c);
        mix(Trigonometry::atan2(y, x));
    }
    std::printf("trig %016llx\n", static_cast<unsigned long long>(hash));
    return 0;
}

int bench(const std::string& plugin, double secondsPerCase)
{
    // The cases of the benchmark of the plug-in's processReplacing (bench/):
    // azimuth 0.6 rad; 1 m or 4 m; compensation off or at 2 m.
    const float azimuth = 0.6f / 6.2831853f, oneMetre = 0.75f, far = 0.f, off = 1.f, twoMetres = 1.5f / 3.5f;
    struct Case {
        const char* name;
        float compensation, distance;
        bool moving;
    };
    const Case cases[] = {{"compensation-off", off, oneMetre, false},
                          {"near-source", twoMetres, oneMetre, false},
                          {"far-source", twoMetres, far, false},
                          {"moving-source", twoMetres, oneMetre, true}};
    for (const int frames : {64, 512}) {
        for (const Case& c : cases) {
            LoadedPlugin fx(plugin, quietHost);
            AEffect* e = fx.record();
            fx.start(kSampleRate, frames);
            fx.set(kCompensationDistance, c.compensation);
            fx.set(kAzimuth, azimuth);
            fx.set(kDistance, c.distance);
            // The input and every output in one block of memory that starts
            // a page, each channel a little apart: the same addresses within
            // a page on both systems, whose allocators would otherwise place
            // the buffers differently (and make loads and stores collide
            // differently in the cache).
            const size_t page = 4096 / sizeof(float);
            const size_t stride = size_t(frames) + 48;
            std::vector<float> memory(stride * size_t(e->numOutputs + 1) + page);
            const size_t misalignment = (reinterpret_cast<uintptr_t>(memory.data()) / sizeof(float)) % page;
            float* base = memory.data() + (page - misalignment) % page;
            const std::vector<float> signal = testSignal(size_t(frames));
            std::copy(signal.begin(), signal.end(), base);
            std::vector<float*> outs;
            for (int c = 1; c <= e->numOutputs; ++c)
                outs.push_back(base + stride * size_t(c));
            float* in = base;
            for (int n = 0; n < 20000 / frames + 20; ++n)
                e->processReplacing(e, &in, outs.data(), frames);
            // A slow circle of 1.5 m, one change per block; the host's own
            // trigonometry stays out of the timing.
            std::vector<std::pair<float, float>> circle(6283);
            for (size_t k = 0; k < circle.size(); ++k) {
                const float a = 0.001f * float(k);
                circle[k] = {(1.5f * std::cos(a) + 4.0f) * 0.125f, (1.5f * std::sin(a) + 4.0f) * 0.125f};
            }
            long blocks = 0;
            double spent = 0.0;
            const auto begin = std::chrono::steady_clock::now();
            while (spent < secondsPerCase) {
                for (int k = 0; k < 64; ++k, ++blocks) {
                    if (c.moving) {
                        const auto& [x, y] = circle[size_t(blocks) % circle.size()];
                        fx.set(kX, x);
                        fx.set(kY, y);
                    }
                    e->processReplacing(e, &in, outs.data(), frames);
                }
                spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            }
            std::printf("bench %s/%d %.3f ns_per_frame\n", c.name, frames, spent * 1e9 / double(blocks * frames));
        }
    }
    return 0;
}

} // namespace probe
