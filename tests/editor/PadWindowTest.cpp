// The touch pad in a real window under Xvfb, driven by xdotool.

#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"
#include "toolkit/WindowCapture.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdio>
#include <sstream>

namespace {

using namespace xsession;
using namespace EditorLayout;

unsigned pngPixel(cairo_surface_t* s, int x, int y)
{
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const unsigned*>(row)[x] & 0xffffff;
}

bool isAccentBlue(unsigned rgb)
{
    const int r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    return r < 80 && g > 140 && b > 220;
}

struct PadWindow : ::testing::Test {
    void SetUp() override
    {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(probe.start({VELMORA_PAD_PROBE}));
        std::string line;
        ASSERT_TRUE(probe.output.waitFor("window ", line));
        window = line.substr(7);
        ASSERT_TRUE(probe.output.waitFor("ready ", line));
        std::istringstream(line.substr(6)) >> handle.x >> handle.y;
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
    std::string window;
    struct {
        long x = 0, y = 0;
    } handle;
};

TEST_F(PadWindow, DragMovesTheHandleAndCtrlClickCentresIt)
{
    // Centred 15-pixel handle on the 173-pixel pad.
    EXPECT_EQ(handle.x, kPadLeft + 79);
    EXPECT_EQ(handle.y, kPadTop + 79);
    const long gx = handle.x + 7, gy = handle.y + 7;

    ASSERT_TRUE(moveTo(window, gx, gy));
    pause(50);
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    for (int step = 1; step <= 4; ++step) {
        pause(50);
        ASSERT_TRUE(moveTo(window, gx + 10 * step, gy + 5 * step));
    }
    pause(150);
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    std::string line;
    ASSERT_TRUE(probe.output.waitFor("end 2", line));

    ASSERT_EQ(linesStarting("begin").size(), 1u);
    ASSERT_EQ(linesStarting("end").size(), 1u);
    const auto changes = linesStarting("changed ");
    ASSERT_GE(changes.size(), 2u);
    // The handle's centre went 40 right and 20 down from 78.5 pixels (the
    // grab's half-pixel) along its 158 pixels of travel.
    char expected[64];
    std::snprintf(expected, sizeof expected, "changed %.6f %.6f", 118.5f / 158.f, 98.5f / 158.f);
    EXPECT_EQ(changes.back(), expected);

    probe.send("where");
    ASSERT_TRUE(probe.output.waitFor("handle ", line));
    long hx = 0, hy = 0;
    std::istringstream(line.substr(7)) >> hx >> hy;
    EXPECT_EQ(hx, kPadLeft + 119);
    EXPECT_EQ(hy, kPadTop + 99);

    const std::string shot = std::string(VELMORA_TEST_OUTPUT_DIR) + "/pad-window.png";
    probe.send("shot " + shot);
    ASSERT_TRUE(probe.output.waitFor("shot ", line));
    ASSERT_EQ(line, "shot ok");
    cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), kWindowWidth);
    EXPECT_TRUE(isAccentBlue(pngPixel(png, int(hx + 7), int(hy + 7))));
    EXPECT_FALSE(isAccentBlue(pngPixel(png, int(gx), int(gy)))); // where it was
    cairo_surface_destroy(png);

    // Ctrl plays the Command role: a Ctrl-click anywhere on the pad centres it.
    ASSERT_TRUE(moveTo(window, kPadLeft + 20, kPadTop + 20));
    pause(50);
    ASSERT_TRUE(xdo({"keydown", "ctrl"}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(xdo({"keyup", "ctrl"}));
    ASSERT_TRUE(probe.output.waitFor("changed ", line));
    EXPECT_EQ(line, "changed 0.500000 0.500000");
    EXPECT_EQ(linesStarting("begin").size(), 1u); // no gesture around the reset

    probe.send("quit");
    EXPECT_EQ(probe.wait(), 0);
}

// A host may destroy its window before it closes the editor, even in the
// middle of a drag: the gesture ends properly and nothing takes the
// process down.
TEST_F(PadWindow, HostDestroyingItsWindowMidDragIsSurvived)
{
    probe.send("destroy-in-drag");
    ASSERT_TRUE(moveTo(window, handle.x + 7, handle.y + 7));
    pause(50);
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    std::string line;
    ASSERT_TRUE(probe.output.waitFor("destroyed", line));
    ASSERT_TRUE(probe.output.waitFor("end 2", line));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    probe.send("where");
    ASSERT_TRUE(probe.output.waitFor("handle ", line));
    probe.send("quit");
    EXPECT_EQ(probe.wait(), 0);
}

// Windows that are not there, or not shown: a frame asked to live in one
// stays closed, and a screenshot of one fails; neither ends the process.
TEST_F(PadWindow, WindowsThatCannotBeUsedAreRefusedQuietly)
{
    Child other;
    ASSERT_TRUE(other.start({VELMORA_PAD_PROBE, "--bad-parent"}));
    std::string line;
    ASSERT_TRUE(other.output.waitFor("open ", line));
    EXPECT_EQ(line, "open 0");
    EXPECT_EQ(other.wait(), 0);

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
