// What real hosts do with one plug-in from several threads at once: automate
// parameters and switch programs on one, open, idle and close the editor on
// another, process audio on a third; create instances on worker threads;
// read programs and names while another thread changes them. Run under
// ThreadSanitizer (with the editor built in), any data race is a failure.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "editor/NAE_editor.h"
#include "editor/NelTouchPad.h"
#include "vst/NelAmbiEncEdit.h"
#include "plugin/AEffectX.h"
#include "tests/editor/XSession.h"
#include "toolkit/CFrame.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOutputs = 7;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The built plug-in, loaded and started as a host does.
AEffect* startPlugin(audioMasterCallback host = quietHost)
{
    static void* library = dlopen(VELMORA_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        throw std::runtime_error(std::string("cannot load the plug-in: ") + dlerror());
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    AEffect* fx = entry ? entry(host) : nullptr;
    if (fx == nullptr)
        throw std::runtime_error("the plug-in did not start");
    return fx;
}

VstIntPtr dispatch(AEffect* fx, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.f)
{
    return fx->dispatcher(fx, opcode, index, value, ptr, opt);
}

// One block through processReplacing; every output must stay finite.
bool processBlock(AEffect* fx, int frames)
{
    std::vector<float> in(frames, 0.25f);
    std::vector<std::vector<float>> out(kOutputs, std::vector<float>(frames));
    float* ins[1] = {in.data()};
    float* outs[kOutputs];
    for (int c = 0; c < kOutputs; ++c)
        outs[c] = out[c].data();
    fx->processReplacing(fx, ins, outs, frames);
    for (const auto& channel : out)
        for (float s : channel)
            if (!std::isfinite(s))
                return false;
    return true;
}

// A window of the "host's" own for the editor to live in, on a connection
// that only the calling thread uses.
class HostWindow {
public:
    HostWindow()
    {
        // A server flooded with connections that come and go refuses one
        // now and then; a host would simply try again.
        for (int attempt = 0; attempt < 50 && !display; ++attempt) {
            display = XOpenDisplay(nullptr);
            if (!display)
                xsession::pause(5);
        }
        if (display)
            window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
        if (window) {
            XMapWindow(display, window);
            XSync(display, False);
        }
    }
    ~HostWindow()
    {
        if (window)
            XDestroyWindow(display, window);
        if (display)
            XCloseDisplay(display);
    }
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
    bool ok() const { return window != 0; }

private:
    Display* display = nullptr;
    Window window = 0;
};

// Opens the editor in a fresh window, idles it a few times, closes it.
void editorRound(AEffect* fx)
{
    HostWindow parent;
    ASSERT_TRUE(parent.ok()) << "no X connection: "
                             << (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "-");
    dispatch(fx, effEditOpen, 0, 0, parent.handle());
    for (int i = 0; i < 4; ++i)
        dispatch(fx, effEditIdle);
    dispatch(fx, effEditClose);
}

class HostThreadsConcurrent : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!xsession::onPath("Xvfb"))
            GTEST_SKIP() << "Xvfb is needed";
        ASSERT_TRUE(server.start());
    }
    xsession::Xvfb server;
};

TEST_F(HostThreadsConcurrent, AutomationEditorAndAudioOnOneInstance)
{
    AEffect* fx = startPlugin();
    dispatch(fx, effMainsChanged, 0, 1);
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0}, editorRounds{0}, changes{0};

    std::thread automation([&] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> anyIndex(0, 6), anyProgram(0, 15);
        std::uniform_real_distribution<float> anyValue(0.f, 1.f);
        while (!done.load()) {
            fx->setParameter(fx, anyIndex(random), anyValue(random));
            fx->getParameter(fx, anyIndex(random));
            if (++changes % 200 == 0)
                dispatch(fx, effSetProgram, 0, anyProgram(random));
        }
    });
    std::thread audio([&] {
        while (!done.load()) {
            ASSERT_TRUE(processBlock(fx, 64));
            ++blocks;
        }
    });
    const auto until = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < until || editorRounds.load() < 5) {
        editorRound(fx);
        ++editorRounds;
    }
    done.store(true);
    automation.join();
    audio.join();
    EXPECT_GT(blocks.load(), 0);
    EXPECT_GT(changes.load(), 0);
    dispatch(fx, effClose);
}

TEST_F(HostThreadsConcurrent, InstancesCreatedAndDestroyedOnTwoThreads)
{
    auto lifetimes = [](int rounds, bool withEditor) {
        for (int i = 0; i < rounds; ++i) {
            AEffect* fx = startPlugin();
            dispatch(fx, effOpen);
            dispatch(fx, effSetSampleRate, 0, 0, nullptr, 44100.f);
            dispatch(fx, effMainsChanged, 0, 1);
            fx->setParameter(fx, 5, 0.5f);
            EXPECT_TRUE(processBlock(fx, 32));
            if (withEditor)
                editorRound(fx);
            dispatch(fx, effClose);
        }
    };
    std::thread worker(lifetimes, 20, true);
    lifetimes(20, true);
    worker.join();
}

TEST_F(HostThreadsConcurrent, ProgramsAndNamesWhileAnotherThreadSwitches)
{
    AEffect* fx = startPlugin();
    std::atomic<bool> done{false};
    std::thread switcher([&] {
        char name[32];
        for (int round = 0; round < 4000; ++round) {
            dispatch(fx, effSetProgram, 0, round % 16);
            std::snprintf(name, sizeof name, "Take %d", round % 100);
            dispatch(fx, effSetProgramName, 0, 0, name);
        }
        done.store(true);
    });
    while (!done.load()) {
        const VstIntPtr current = dispatch(fx, effGetProgram);
        EXPECT_TRUE(current >= 0 && current < 16) << current;
        char text[64];
        std::memset(text, 'Z', sizeof text);
        dispatch(fx, effGetProgramName, 0, 0, text);
        ASSERT_NE(std::memchr(text, '\0', 24), nullptr);
        const std::string name(text);
        EXPECT_TRUE(name.rfind("Prog ", 0) == 0 || name.rfind("Take ", 0) == 0) << name;
        EXPECT_EQ(dispatch(fx, effGetProgramNameIndexed, 15, 0, text), 1);
        fx->setParameter(fx, 0, 0.25f);
    }
    switcher.join();
    dispatch(fx, effClose);
}

// --- the audio thread never waits for another thread ---------------------------

std::atomic<bool> callbackSleeping{false};
std::atomic<int> slowCallbacks{0};

// A host whose automation callback takes 50 ms, the first time it is called.
VstIntPtr slowHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterAutomate && slowCallbacks.fetch_add(1) == 0) {
        callbackSleeping.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        callbackSleeping.store(false);
    }
    return 0;
}

TEST(HostThreadsConcurrentWait, SetParameterReturnsWhileTheEditorsHostCallbackSleeps)
{
    slowCallbacks.store(0);
    auto* effect = new NelAmbiEncEdit(slowHost);
    auto* editor = static_cast<NAE_editor*>(effect->getEditor());
    editor->open(nullptr); // a working frame without a system window
    auto* pad = static_cast<NelTouchPad*>(editor->getFrame()->getView(0));

    std::atomic<long long> waitedMicroseconds{-1};
    std::thread audio([&] {
        while (!callbackSleeping.load())
            std::this_thread::yield();
        const auto start = Clock::now();
        effect->setParameter(kCompensationDistance, 0.25f);
        waitedMicroseconds =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    });
    effect->setParameter(kX, 0.5f); // the source at the centre: y moves freely
    // One step of a drag on the editor's thread: the host hears about it in
    // the slow callback.
    pad->setXYValue(0.25f, 0.5f);
    editor->valueChanged(pad);
    audio.join();

    EXPECT_GE(waitedMicroseconds.load(), 0);
    EXPECT_LT(waitedMicroseconds.load(), 10000) << "setParameter waited for the editor's host callback";
    EXPECT_FLOAT_EQ(effect->getParameter(kCompensationDistance), 0.25f);
    EXPECT_FLOAT_EQ(effect->getParameter(kY), 0.75f);
    editor->close();
    delete effect;
}

} // namespace
