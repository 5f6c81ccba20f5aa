// The LV2 editor opened and closed on the host's UI thread while the plug-in
// runs on an audio thread of its own with automation: they share nothing but
// the port values the host carries between them, so nothing may race, and
// the editor raises no X error. Also run under ThreadSanitizer.
#include <gtest/gtest.h> // before the X11 headers, whose macros clash with its names

#include "lv2/Lv2Encoder.h"
#include "tests/editor/XSession.h"
#include "tests/lv2/UiHost.h"
#include "toolkit/X11Window.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

extern "C" const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index);

namespace {

using namespace xsession;

TEST(Lv2UiConcurrent, EditorsOpenAndCloseWhileThePluginRunsAndIsAutomated)
{
    if (!onPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed (scripts/install-deps.sh installs it)";
    Xvfb server;
    ASSERT_TRUE(server.start());
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, display);
    const long errorsBefore = X11Window::errorsSwallowed();

    // The audio thread: the plug-in, its azimuth automated every run; what
    // its ports hold is what the host hands the editor.
    std::atomic<bool> running{true};
    std::atomic<float> shown[7];
    for (auto& value : shown)
        value = 0.f;
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        auto plugin = Lv2Encoder::create(Lv2PluginInfo::fuma(), 48000.0);
        float controls[7] = {0.f, 0.f, 1.5f, 2.f, 0.f, 0.f, 0.f};
        std::vector<float> input(64, 0.25f);
        std::vector<std::vector<float>> outputs(7, std::vector<float>(64));
        for (uint32_t p = 0; p < 7; ++p)
            plugin->connect(p, &controls[p]);
        plugin->connect(7, input.data());
        for (uint32_t c = 0; c < 7; ++c)
            plugin->connect(8 + c, outputs[c].data());
        plugin->activate();
        for (int n = 0; running; ++n) {
            controls[0] = float(n % 360);
            plugin->run(64);
            for (const auto& channel : outputs)
                for (float s : channel)
                    if (!std::isfinite(s))
                        finite = false;
            for (uint32_t p = 0; p < 7; ++p)
                shown[p] = controls[p];
        }
    });

    const LV2UI_Descriptor* descriptor = lv2ui_descriptor(0);
    ASSERT_NE(nullptr, descriptor);
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 700, 300, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    UiHost host(parent);
    for (int round = 0; round < 20; ++round) {
        UiInstance a(descriptor, "urn:corvane:velmora-xy3-2d", host);
        UiInstance b(descriptor, "urn:corvane:velmora-xy3-2d-ambix", host);
        ASSERT_TRUE(a.ok() && b.ok());
        for (int pass = 0; pass < 5; ++pass) {
            for (uint32_t p = 0; p < 7; ++p) {
                a.portEvent(p, shown[p]);
                b.portEvent(p, shown[p]);
            }
            a.idle();
            b.idle();
            pause(2);
        }
    }
    running = false;
    audio.join();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    EXPECT_TRUE(finite);
    EXPECT_EQ(errorsBefore, X11Window::errorsSwallowed());
}

} // namespace
