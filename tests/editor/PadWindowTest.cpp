// The touch pad in a real window under Xvfb, driven by xdotool.

#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"
#include "toolkit/CFrame.h"
#include "toolkit/WindowCapture.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>

namespace {

using namespace xsession;
using namespace EditorLayout;

struct PadWindow : ::testing::Test {
    void SetUp() override
    {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(server.start());
    }
    std::vector<std::string> linesStarting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& l : probe.output.lines)
            if (l.compare(0, prefix.size(), prefix) == 0)
                out.push_back(l);
        return out;
    }

    Xvfb server;
    Child probe;
};

TEST_F(PadWindow, DragMovesTheHandleAndOutlivesTheHostWindow)
{
    ASSERT_TRUE(probe.start({VELMORA_PAD_PROBE}));
    std::string line;
    ASSERT_TRUE(probe.output.waitFor("window ", line));
    const std::string window = line.substr(7);
    ASSERT_TRUE(probe.output.waitFor("handle ", line));
    // Centred 15-pixel handle on the 173-pixel pad.
    EXPECT_EQ(line, "handle 164 156 0.500000 0.500000");
    const long gx = kPadLeft + 79 + 7, gy = kPadTop + 79 + 7;

    ASSERT_TRUE(drag(window, gx, gy, 10, 5));
    ASSERT_TRUE(probe.output.waitFor("end 2", line));
    EXPECT_EQ(linesStarting("begin").size(), 1u);
    EXPECT_EQ(linesStarting("end").size(), 1u);
    const auto changes = linesStarting("changed ");
    ASSERT_GE(changes.size(), 2u);
    // The handle's centre went 40 right and 20 down from 78.5 pixels (the
    // grab's half-pixel) along its 158 pixels of travel.
    char values[64];
    std::snprintf(values, sizeof values, "%.6f %.6f", 118.5f / 158.f, 98.5f / 158.f);
    EXPECT_EQ(changes.back(), std::string("changed ") + values);
    probe.send("where");
    ASSERT_TRUE(probe.output.waitFor("handle ", line));
    EXPECT_EQ(line,
              "handle " + std::to_string(kPadLeft + 119) + " " + std::to_string(kPadTop + 99) + " " + values);

    const std::string shot = std::string(VELMORA_TEST_OUTPUT_DIR) + "/pad-window.png";
    probe.send("shot " + shot);
    ASSERT_TRUE(probe.output.waitFor("shot ", line));
    ASSERT_EQ(line, "shot ok");
    Png png(shot);
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(cairo_image_surface_get_width(png.s), kWindowWidth);
    EXPECT_TRUE(isHandle(png.at(kPadLeft + 119 + 7, kPadTop + 99 + 7)));
    EXPECT_FALSE(isHandle(png.at(gx, gy))); // where it was

    // A host may destroy its window before it closes the editor, even in
    // the middle of a drag: the gesture ends properly and the process lives.
    probe.send("destroy-in-drag");
    ASSERT_TRUE(moveTo(window, kPadLeft + 119 + 7, kPadTop + 99 + 7));
    pause(50);
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_TRUE(probe.output.waitFor("destroyed", line));
    ASSERT_TRUE(probe.output.waitFor("end 2", line));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    probe.send("quit");
    EXPECT_EQ(probe.wait(), 0);
}

// Windows that are not there, or not shown: a frame asked to live in one
// stays closed, and a screenshot of one fails; neither ends the process.
TEST_F(PadWindow, WindowsThatCannotBeUsedAreRefusedQuietly)
{
    CFrame frame(CRect(0, 0, 10, 10), reinterpret_cast<void*>(uintptr_t(0x3fffff)), nullptr);
    frame.idle();
    EXPECT_FALSE(frame.isOpen());

    const std::string shot = std::string(VELMORA_TEST_OUTPUT_DIR) + "/no-window.png";
    EXPECT_FALSE(captureWindowPng(0x7ffffff, shot.c_str()));
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Window unmapped = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 40, 40, 0, 0, 0);
    XSync(d, False);
    EXPECT_FALSE(captureWindowPng(unmapped, shot.c_str()));
    XDestroyWindow(d, unmapped);
    XCloseDisplay(d);
}

} // namespace
