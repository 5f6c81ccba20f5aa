// The Windows plug-in's editor under wine, in the Windows test host's own
// window on $DISPLAY, driven by xdotool as a user would: its size and
// pixels, a drag and Ctrl-clicks against the Linux plug-in's editor in
// `velmora edit` given the very same gestures, the display scale from the
// host and from the desktop's DPI, many opens and closes, and the threads of
// a host at once.

#include "tools/capture/WindowCapture.h"
#include "resources/EditorLayout.h"
#include "tests/windows/WineSession.h"
#include "toolkit/CRect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>

namespace {

using namespace winesession;
using namespace xsession;
using namespace EditorLayout;

const char kHostTitle[] = "Velmora test host";

// The requests the editor sent, in order: automate, begin and end lines.
std::vector<std::string> requests(const Child& host)
{
    std::vector<std::string> out;
    for (const auto& l : host.output.lines)
        if (l.rfind("automate", 0) == 0 || l.rfind("begin", 0) == 0 || l.rfind("end", 0) == 0)
            out.push_back(l);
    return out;
}

// The X window wine made for the host's window.
std::string findWindow(const char* title)
{
    const Result r = run({"xdotool", "search", "--name", std::string("^") + title + "$"}, 10);
    const auto found = lines(r.out);
    return found.empty() ? std::string() : found.front();
}

// Wine maps a window a moment after the program made it; the first window
// of a fresh prefix, on a loaded machine, took several seconds.
std::string waitForWindow(const char* title)
{
    std::string window;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((window = findWindow(title)).empty() && std::chrono::steady_clock::now() < deadline)
        pause(100);
    return window;
}

// A host with the editor open: the Windows test host under wine, or
// velmora edit with the Linux plug-in.
struct EditorHost {
    Child process;
    std::string ready; // "ready window ID size W H ..."
    std::string window; // the X window to aim the pointer at

    bool startWindows(bool ambix, const std::string& scale = "")
    {
        std::vector<std::string> args = {"timeout", "120", "wine", winHost(), "edit", dll(ambix)};
        if (!scale.empty())
            args.push_back(scale);
        if (!process.start(args) || !process.output.waitFor("ready window ", ready, 30000))
            return false;
        window = waitForWindow(kHostTitle);
        return !window.empty();
    }
    bool startLinux(bool ambix)
    {
        if (!process.start({VELMORA_HOST_PROGRAM, "edit", "--plugin", sharedObject(ambix)}) ||
            !process.output.waitFor("ready window ", ready, 10000))
            return false;
        std::istringstream(ready.substr(13)) >> window;
        return true;
    }
    std::string ask(const std::string& command, const std::string& answer, int ms = 10000)
    {
        process.send(command);
        std::string line;
        EXPECT_TRUE(process.output.waitFor(answer, line, ms)) << command;
        return line;
    }
    std::string text(int index)
    {
        const std::string line = ask("get " + std::to_string(index), "value " + std::to_string(index));
        return line.substr(line.rfind(' ') + 1);
    }
    void place(float x, float y)
    {
        process.send("set 2 " + std::to_string(x));
        process.send("set 3 " + std::to_string(y));
        ask("get 3", "value 3");
        pause(150);
    }
    void click(long x, long y, bool ctrl = false)
    {
        ASSERT_TRUE(moveTo(window, x, y));
        pause(50);
        ASSERT_TRUE(!ctrl || xdo({"keydown", "ctrl"}));
        ASSERT_TRUE(xdo({"click", "1"}));
        ASSERT_TRUE(!ctrl || xdo({"keyup", "ctrl"}));
    }
    bool shot(const std::string& path) { return captureWindowPng(std::strtoul(window.c_str(), nullptr, 0), path.c_str()); }
    int quit()
    {
        std::string line;
        process.send("quit");
        process.output.waitFor("idle requests ", line, 10000);
        return process.wait(20000);
    }
};

// What the editor tells the host for one user's session: a drag of the
// centred handle, a Ctrl-click on the pad, a click at the bottom and one at
// the top of the compensation switch, and the texts after each.
struct Session {
    std::string lastY, lastX; // the drag's last automation of y and x
    std::vector<std::string> gestureShape; // the drag's requests, values left out
    std::string resetX, resetY, textsAfterReset, switchBottom, switchTop;
    // What the window showed: the handle where the drag left it, and the
    // row of the switch's knob after each click.
    bool handleShownWhereDropped = false;
    bool handleGoneFromGrab = false;
    long knobAfterBottom = -1, knobAfterTop = -1;
};

// The brightest row of the switch in a screenshot: where its knob is.
long knobRow(const Png& png)
{
    long best = -1, bestSum = -1;
    for (long y = kSwitchTop; y < kSwitchBottom; ++y) {
        long sum = 0;
        for (long x = kSwitchLeft + 2; x < kSwitchRight - 2; ++x) {
            const unsigned p = png.at(x, y);
            sum += long((p >> 16) & 255) + long((p >> 8) & 255) + long(p & 255);
        }
        if (sum > bestSum) {
            bestSum = sum;
            best = y;
        }
    }
    return best;
}

Session playSession(EditorHost& host, const std::string& shots)
{
    Session s;
    host.place(0.5f, 0.5f);
    const size_t before = requests(host.process).size();
    // The centred handle's top-left is 79 pixels into the pad; grab its middle.
    const long gx = kPadLeft + 79 + 7, gy = kPadTop + 79 + 7;
    EXPECT_TRUE(drag(host.window, gx, gy, -5, -8));
    std::string line;
    EXPECT_TRUE(host.process.output.waitFor("end 2", line, 10000));
    pause(200);
    if (host.shot(shots + "-after-drag.png")) {
        const Png after(shots + "-after-drag.png");
        s.handleShownWhereDropped = isHandle(after.at(kPadLeft + 59 + 7, kPadTop + 47 + 7));
        s.handleGoneFromGrab = !isHandle(after.at(gx, gy));
    }
    const auto all = requests(host.process);
    const std::vector<std::string> gesture(all.begin() + long(before), all.end());
    for (const auto& r : gesture) {
        const bool xOrY = r.rfind("automate 2 ", 0) == 0 || r.rfind("automate 3 ", 0) == 0;
        if (r.rfind("automate", 0) != 0)
            s.gestureShape.push_back(r);
        else if (xOrY)
            s.gestureShape.push_back(r.substr(0, 10));
        if (r.rfind("automate 3 ", 0) == 0)
            s.lastY = r;
        if (r.rfind("automate 2 ", 0) == 0)
            s.lastX = r;
    }
    host.click(kPadLeft + 150, kPadTop + 150, true);
    EXPECT_TRUE(host.process.output.waitFor("automate 3 ", s.resetY, 10000));
    EXPECT_TRUE(host.process.output.waitFor("automate 2 ", s.resetX, 10000));
    s.textsAfterReset = host.text(2) + " " + host.text(3);
    host.click(kSwitchLeft + 12, kSwitchBottom - 1);
    EXPECT_TRUE(host.process.output.waitFor("automate 6 ", line, 10000));
    s.switchBottom = line + " " + host.text(6);
    pause(200);
    if (host.shot(shots + "-switch-bottom.png"))
        s.knobAfterBottom = knobRow(Png(shots + "-switch-bottom.png"));
    host.click(kSwitchLeft + 12, kSwitchTop);
    EXPECT_TRUE(host.process.output.waitFor("automate 6 ", line, 10000));
    s.switchTop = line + " " + host.text(6);
    pause(200);
    if (host.shot(shots + "-switch-top.png"))
        s.knobAfterTop = knobRow(Png(shots + "-switch-top.png"));
    return s;
}

// Whether (x, y) of a window at `factor` lies in a control or text the
// editor draws over its background.
bool onAControl(long x, long y, long factor)
{
    const CRect controls[] = {CRect(kPadLeft, kPadTop, kPadRight, kPadBottom),
                              CRect(kSwitchLeft, kSwitchTop, kSwitchRight, kSwitchBottom),
                              CRect(248, 75, 288, 95),   // x
                              CRect(248, 110, 288, 130), // y
                              CRect(42, 177, 82, 197)};  // compensation
    for (const CRect& c : controls)
        if (x >= c.left * factor && x < c.right * factor && y >= c.top * factor && y < c.bottom * factor)
            return true;
    return false;
}

// Pixels of the window that differ from the background bitmap, outside
// the controls.
long backgroundDifferences(const Png& window, const Png& background, long factor)
{
    long differ = 0;
    for (long y = 0; y < background.height(); ++y)
        for (long x = 0; x < background.width(); ++x)
            if (!onAControl(x, y, factor) && window.at(x, y) != background.at(x, y))
                ++differ;
    return differ;
}

long accentPixels(const Png& png, const CRect& r)
{
    long n = 0;
    for (long y = r.top; y < r.bottom; ++y)
        for (long x = r.left; x < r.right; ++x)
            n += isHandle(png.at(x, y));
    return n;
}

struct WindowsEditor : ::testing::Test {
    void SetUp() override
    {
        const std::string why = whyNoWineDesktop();
        if (!why.empty())
            GTEST_SKIP() << why;
    }
    std::string shotPath(const std::string& name) const { return std::string(VELMORA_TEST_OUTPUT_DIR) + "/" + name; }
};

TEST_F(WindowsEditor, OpensAt330x272InTheHostWindowAndPaints)
{
    EditorHost host;
    ASSERT_TRUE(host.startWindows(false));
    EXPECT_NE(host.ready.find(" size 330 272 opened 1"), std::string::npos) << host.ready;
    EXPECT_EQ(host.ask("child", "child "), "child 330 272");
    pause(300);
    const std::string path = shotPath("windows-editor.png");
    ASSERT_TRUE(host.shot(path));
    Png shot(path), background(std::string(VELMORA_BITMAP_DIR) + "/bmp00131.png");
    ASSERT_TRUE(shot.ok() && background.ok());
    ASSERT_EQ(shot.width(), 330);
    ASSERT_EQ(shot.height(), 272);
    // The background is the Linux build's own bitmap, pixel for pixel.
    EXPECT_EQ(backgroundDifferences(shot, background, 1), 0);
    // A new instance's source is 4 m to the front: the handle at the top of
    // the pad, and the texts "4.00" and "0.00" drawn beside it.
    EXPECT_TRUE(isHandle(shot.at(kPadLeft + 86, kPadTop + 7)));
    EXPECT_FALSE(isHandle(shot.at(kPadLeft + 86, kPadTop + 86)));
    EXPECT_GT(accentPixels(shot, CRect(262, 75, 288, 95)), 10);
    EXPECT_GT(accentPixels(shot, CRect(262, 110, 288, 130)), 10);
    EXPECT_EQ(host.quit(), 0);
}

TEST_F(WindowsEditor, DragAndCtrlClicksReachTheHostWithTheValuesLinuxGives)
{
    Session linux, windows;
    {
        EditorHost host;
        ASSERT_TRUE(host.startLinux(false));
        linux = playSession(host, shotPath("linux-session"));
        EXPECT_EQ(host.quit(), 0);
    }
    {
        EditorHost host;
        ASSERT_TRUE(host.startWindows(false));
        windows = playSession(host, shotPath("windows-session"));
        // While it held the mouse the editor let the host idle.
        std::string line;
        host.process.send("quit");
        ASSERT_TRUE(host.process.output.waitFor("idle requests ", line, 10000));
        EXPECT_GT(std::stol(line.substr(14)), 5);
        EXPECT_EQ(host.process.wait(20000), 0);
    }
    // The handle went 20 left and 32 up: y 1 - 58.5/158, x 1 - 46.5/158.
    EXPECT_EQ(linux.lastY, "automate 3 0.629747");
    EXPECT_EQ(linux.lastX, "automate 2 0.705696");
    EXPECT_EQ(windows.lastY, linux.lastY);
    EXPECT_EQ(windows.lastX, linux.lastX);
    // One gesture, y then x at each step.
    ASSERT_GE(windows.gestureShape.size(), 4u);
    EXPECT_EQ(windows.gestureShape.front(), "begin 2");
    EXPECT_EQ(windows.gestureShape.back(), "end 2");
    for (size_t i = 1; i + 1 < windows.gestureShape.size(); i += 2) {
        EXPECT_EQ(windows.gestureShape[i], "automate 3") << i;
        EXPECT_EQ(windows.gestureShape[i + 1], "automate 2") << i;
    }
    EXPECT_EQ(windows.resetY, linux.resetY);
    EXPECT_EQ(windows.resetX, linux.resetX);
    EXPECT_EQ(windows.textsAfterReset, "0.00 0.00");
    EXPECT_EQ(windows.textsAfterReset, linux.textsAfterReset);
    EXPECT_EQ(windows.switchBottom, "automate 6 0.000000 0.50");
    EXPECT_EQ(windows.switchBottom, linux.switchBottom);
    EXPECT_EQ(windows.switchTop, "automate 6 1.000000 off");
    EXPECT_EQ(windows.switchTop, linux.switchTop);
    // And the window showed each change: the handle where it was dropped,
    // the knob where it was clicked, as on Linux.
    EXPECT_TRUE(linux.handleShownWhereDropped && linux.handleGoneFromGrab);
    EXPECT_TRUE(windows.handleShownWhereDropped);
    EXPECT_TRUE(windows.handleGoneFromGrab);
    EXPECT_GT(linux.knobAfterBottom, kSwitchTop + 60);
    EXPECT_LT(linux.knobAfterTop, kSwitchTop + 20);
    EXPECT_EQ(windows.knobAfterBottom, linux.knobAfterBottom);
    EXPECT_EQ(windows.knobAfterTop, linux.knobAfterTop);
}

// Factor 2 from the host's request, and from the desktop's density (wine's
// LogPixels, which is what GetDpiForWindow answers); a density of 144 dpi
// gives the set drawn for 1.5. Each window is drawn, not stretched: its
// background is the set the build drew for the factor.
TEST_F(WindowsEditor, ScaleFromTheHostRequestAndFromTheWindowsDpi)
{
    {
        EditorHost host;
        ASSERT_TRUE(host.startWindows(false, "2"));
        EXPECT_NE(host.ready.find(" size 660 544 "), std::string::npos) << host.ready;
        EXPECT_EQ(host.ask("child", "child "), "child 660 544");
        pause(300);
        const std::string path = shotPath("windows-editor@2x.png");
        ASSERT_TRUE(host.shot(path));
        Png shot(path), background(windowsBuild() + "/resources/bitmaps/bmp00131@2x.png");
        ASSERT_TRUE(shot.ok() && background.ok());
        ASSERT_EQ(shot.width(), 660);
        EXPECT_EQ(backgroundDifferences(shot, background, 2), 0);
        EXPECT_TRUE(isHandle(shot.at(2 * (kPadLeft + 86), 2 * (kPadTop + 7))));
        // A request while open resizes the host's window and the editor.
        EXPECT_EQ(host.ask("scale 1", "resized "), "resized 330 272");
        EXPECT_EQ(host.ask("child", "child "), "child 330 272");
        EXPECT_EQ(host.quit(), 0);
    }
    const auto setDpi = [](int dpi) {
        return run({"wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", std::to_string(dpi), "/f"},
                   60)
                   .status == 0;
    };
    struct Expected {
        int dpi;
        const char* size;
    };
    for (const Expected e : {Expected{192, " size 660 544 "}, Expected{144, " size 495 408 "}}) {
        ASSERT_TRUE(setDpi(e.dpi));
        EditorHost host;
        const bool started = host.startWindows(true);
        const std::string ready = host.ready;
        if (started) {
            pause(200);
            EXPECT_EQ(host.quit(), 0);
        }
        // The desktop goes back to 96 dpi whatever happened.
        ASSERT_TRUE(setDpi(96));
        ASSERT_TRUE(started);
        EXPECT_NE(ready.find(e.size), std::string::npos) << e.dpi << " dpi: " << ready;
    }
}

// A hundred opens and closes, then the other plug-in's editor beside ours
// and its DLL unloaded while ours stays open; then ours still answers the
// mouse.
TEST_F(WindowsEditor, HundredOpensAndClosesAndASecondDllBesideAndUnloaded)
{
    EditorHost host;
    ASSERT_TRUE(host.startWindows(false));
    EXPECT_EQ(host.ask("cycle 100", "cycled ", 60000), "cycled 100");
    EXPECT_EQ(host.ask("other " + dll(true), "other done", 30000), "other done");
    EXPECT_EQ(host.ask("child", "child "), "child 330 272");
    host.click(kSwitchLeft + 12, kSwitchBottom - 1);
    std::string line;
    EXPECT_TRUE(host.process.output.waitFor("automate 6 ", line, 10000));
    EXPECT_EQ(host.text(6), "0.50");
    EXPECT_EQ(host.quit(), 0);
}

// A host that closes the editor while the user drags (from a message the
// editor's own loop dispatches), one that destroys its window under the
// open editor, and reopening after each: the editor works on.
TEST_F(WindowsEditor, HostClosesDuringADragAndDestroysItsWindowUnderTheEditor)
{
    EditorHost host;
    ASSERT_TRUE(host.startWindows(false));
    host.place(0.5f, 0.5f);
    const long gx = kPadLeft + 79 + 7, gy = kPadTop + 79 + 7;
    ASSERT_TRUE(moveTo(host.window, gx, gy));
    pause(50);
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    pause(100);
    ASSERT_TRUE(moveTo(host.window, gx - 10, gy - 10));
    std::string line;
    ASSERT_TRUE(host.process.output.waitFor("begin 2", line, 10000));
    EXPECT_EQ(host.ask("close", "closed"), "closed");
    ASSERT_TRUE(moveTo(host.window, gx - 20, gy - 20));
    pause(100);
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    EXPECT_TRUE(host.process.output.waitFor("end 2", line, 10000));
    EXPECT_NE(host.ask("open", "ready window "), "");
    EXPECT_EQ(host.ask("child", "child "), "child 330 272");

    EXPECT_EQ(host.ask("destroy", "destroyed"), "destroyed");
    host.process.send("set 2 0.25"); // the editor would redraw if it could
    pause(200);
    EXPECT_NE(host.ask("open", "ready window "), "");
    host.window = waitForWindow(kHostTitle);
    pause(200);
    host.click(kSwitchLeft + 12, kSwitchBottom - 1);
    ASSERT_TRUE(host.process.output.waitFor("automate 6 ", line, 10000));
    EXPECT_EQ(host.text(6), "0.50");
    EXPECT_EQ(host.quit(), 0);
}

// Audio, automation and the editor (opened, idled and closed over and over)
// on their own threads for a few seconds: no crash, no hang, every sample
// finite.
TEST_F(WindowsEditor, AudioAutomationAndEditorThreadsTogether)
{
    const Result r = onWindows({"stress", dll(false), "4"}, 60);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    unsigned long blocks = 0, nonFinite = 1, changes = 0, opens = 0;
    const auto at = r.out.find("stress ");
    ASSERT_NE(at, std::string::npos) << r.out;
    ASSERT_EQ(std::sscanf(r.out.c_str() + at, "stress blocks %lu non-finite %lu changes %lu opens %lu", &blocks,
                          &nonFinite, &changes, &opens),
              4)
        << r.out;
    EXPECT_EQ(nonFinite, 0u);
    EXPECT_GT(blocks, 500u);
    EXPECT_GT(changes, 1000u);
    EXPECT_GT(opens, 10u);
}

} // namespace
