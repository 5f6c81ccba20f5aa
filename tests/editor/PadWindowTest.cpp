// The touch pad in a real window under Xvfb. The test hosts the pad in a
// window of its own and keeps the frame idle as a host does, while a
// second thread drives the pointer with xdotool.

#include "editor/NelTouchPad.h"
#include "tools/capture/WindowCapture.h"
#include "resources/EditorBitmaps.h"
#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

using namespace xsession;
using namespace EditorLayout;

struct PadWindow : ::testing::Test, VSTGUIEditorInterface, CControlListener {
    void SetUp() override
    {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(server.start());
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        top = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWindowWidth, kWindowHeight, 0,
                                  0, 0);
        XMapWindow(display, top);
        XSync(display, False); // the frame's own connection must see the window
        installEditorBitmaps();
        frame = new CFrame(CRect(0, 0, kWindowWidth, kWindowHeight), reinterpret_cast<void*>(uintptr_t(top)),
                           this);
        CBitmap* background = new CBitmap(CResourceDescription(kBackgroundBitmap));
        CBitmap* padBitmap = new CBitmap(CResourceDescription(kPadBitmap));
        CBitmap* handle = new CBitmap(CResourceDescription(kHandleBitmap));
        frame->setBackground(background);
        pad = new NelTouchPad(CRect(kPadLeft, kPadTop, kPadRight, kPadBottom), this, 2, padBitmap, handle,
                              CPoint(0, 0));
        frame->addView(pad);
        background->forget();
        padBitmap->forget();
        handle->forget();
        frame->idle();
        window = std::to_string(frame->getWindowId());
    }
    void TearDown() override
    {
        delete frame;
        if (display && top)
            XDestroyWindow(display, top);
        if (display)
            XCloseDisplay(display);
    }

    // Idles the frame every 30 ms, as a host does, until the pointer's
    // script has run on its own thread; its result.
    bool idleWhile(const std::function<bool()>& pointer)
    {
        std::atomic<bool> done{false};
        bool ok = false;
        std::thread driver([&] {
            ok = pointer();
            done = true;
        });
        while (!done) {
            frame->idle();
            serviceHostWindow();
            pause(30);
        }
        driver.join();
        frame->idle();
        return ok;
    }
    void serviceHostWindow()
    {
        for (XEvent e; top && XPending(display);)
            XNextEvent(display, &e);
    }
    void doIdleStuff() override
    {
        frame->updateWhileTracking();
        if (destroyInDrag) { // as a host closing its window mid-gesture does
            destroyInDrag = false;
            XDestroyWindow(display, top);
            XSync(display, False);
            top = 0;
        }
        serviceHostWindow();
        frame->syncAfterHostIdle();
    }
    void beginEdit(long index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override
    {
        log.push_back("end " + std::to_string(index));
        ended = true;
    }
    void valueChanged(CControl*) override
    {
        char line[64];
        std::snprintf(line, sizeof line, "changed %.6f %.6f", pad->getXValue(), pad->getYValue());
        log.push_back(line);
    }

    Xvfb server;
    Display* display = nullptr;
    Window top = 0;
    CFrame* frame = nullptr;
    NelTouchPad* pad = nullptr;
    std::string window;
    std::vector<std::string> log;
    std::atomic<bool> ended{false};
    bool destroyInDrag = false;
};

TEST_F(PadWindow, DragMovesTheHandleAndOutlivesTheHostWindow)
{
    // Centred 15-pixel handle on the 173-pixel pad.
    EXPECT_EQ(pad->getHandlePosition(), CPoint(kPadLeft + 79, kPadTop + 79));
    const long gx = kPadLeft + 79 + 7, gy = kPadTop + 79 + 7;
    ASSERT_TRUE(idleWhile([&] { return drag(window, gx, gy, 10, 5); }));
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log.front(), "begin 2");
    EXPECT_EQ(log.back(), "end 2");
    EXPECT_EQ(std::count(log.begin(), log.end(), "begin 2"), 1);
    // The handle's centre went 40 right and 20 down from 78.5 pixels (the
    // grab's half-pixel) along its 158 pixels of travel.
    char values[64];
    std::snprintf(values, sizeof values, "changed %.6f %.6f", 118.5f / 158.f, 98.5f / 158.f);
    EXPECT_EQ(log[log.size() - 2], values);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(kPadLeft + 119, kPadTop + 99));

    const std::string shot = std::string(VELMORA_TEST_OUTPUT_DIR) + "/pad-window.png";
    ASSERT_TRUE(captureWindowPng(top, shot.c_str()));
    Png png(shot);
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(cairo_image_surface_get_width(png.s), kWindowWidth);
    EXPECT_TRUE(isHandle(png.at(kPadLeft + 119 + 7, kPadTop + 99 + 7)));
    EXPECT_FALSE(isHandle(png.at(gx, gy))); // where it was

    // A host may destroy its window before it closes the editor, even in
    // the middle of a drag: the gesture ends before the button is let go,
    // and nothing takes the process down.
    destroyInDrag = true;
    ended = false;
    EXPECT_TRUE(idleWhile([&] {
        bool endedFirst = moveTo(window, kPadLeft + 119 + 7, kPadTop + 99 + 7);
        pause(50);
        endedFirst = endedFirst && xdo({"mousedown", "1"});
        for (int waited = 0; endedFirst && !ended && waited < 5000; waited += 10)
            pause(10);
        endedFirst = endedFirst && ended;
        return xdo({"mouseup", "1"}) && endedFirst;
    }));
    EXPECT_EQ(top, 0u);
    EXPECT_EQ(log.back(), "end 2");
}

// Windows that are not there, or not shown: a frame asked to live in one
// stays closed, and a screenshot of one fails; neither ends the process.
TEST_F(PadWindow, WindowsThatCannotBeUsedAreRefusedQuietly)
{
    CFrame lost(CRect(0, 0, 10, 10), reinterpret_cast<void*>(uintptr_t(0x3fffff)), nullptr);
    lost.idle();
    EXPECT_FALSE(lost.isOpen());

    const std::string shot = std::string(VELMORA_TEST_OUTPUT_DIR) + "/no-window.png";
    EXPECT_FALSE(captureWindowPng(0x7ffffff, shot.c_str()));
    XUnmapWindow(display, top);
    XSync(display, False);
    EXPECT_FALSE(captureWindowPng(top, shot.c_str()));
}

} // namespace
