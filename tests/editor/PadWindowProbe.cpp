// A minimal host for one touch pad in a real window: a top-level window of
// its own with the toolkit's frame inside, idle every 30 ms. Prints what
// reaches it (edit gestures and value changes) and answers commands on
// standard input: "where" (also told at the start), "shot PATH", "destroy-in-drag" (destroys the
// host window from the host's idle during the next drag, as a host closing
// its window mid-gesture does), "quit" (or end of input).

#include "editor/NelTouchPad.h"
#include "resources/EditorBitmaps.h"
#include "resources/EditorLayout.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"
#include "toolkit/WindowCapture.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using namespace EditorLayout;

struct Probe : VSTGUIEditorInterface, CControlListener {
    void doIdleStuff() override
    {
        frame->updateWhileTracking();
        if (destroyInDrag)
            destroyHostWindow();
        serviceHostWindow();
        frame->syncAfterHostIdle();
    }
    void destroyHostWindow()
    {
        destroyInDrag = false;
        XDestroyWindow(display, top);
        XSync(display, False);
        top = 0;
        std::printf("destroyed\n");
    }
    void beginEdit(long index) override { std::printf("begin %ld\n", index); }
    void endEdit(long index) override { std::printf("end %ld\n", index); }
    void valueChanged(CControl* c) override
    {
        auto* p = static_cast<NelTouchPad*>(c);
        std::printf("changed %.6f %.6f\n", p->getXValue(), p->getYValue());
    }
    void where()
    {
        const CPoint h = pad->getHandlePosition();
        std::printf("handle %ld %ld %.6f %.6f\n", h.x, h.y, pad->getXValue(), pad->getYValue());
    }
    void serviceHostWindow()
    {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
        }
    }

    Display* display = nullptr;
    Window top = 0;
    bool destroyInDrag = false;
    CFrame* frame = nullptr;
    NelTouchPad* pad = nullptr;
};

bool handleCommand(Probe& probe, const std::string& line)
{
    if (line == "quit")
        return false;
    if (line == "destroy-in-drag")
        probe.destroyInDrag = true;
    if (line == "where")
        probe.where();
    else if (line.rfind("shot ", 0) == 0) {
        std::printf("shot %s\n", captureWindowPng(probe.top, line.substr(5).c_str()) ? "ok" : "failed");
    }
    return true;
}

} // namespace

int main()
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Probe probe;
    probe.display = XOpenDisplay(nullptr);
    if (!probe.display)
        return 1;
    Display* d = probe.display;
    const Window top = probe.top =
        XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, kWindowWidth, kWindowHeight, 0, 0, 0);
    XSelectInput(d, top, StructureNotifyMask);
    XMapWindow(d, top);
    XSync(d, False); // the frame's own connection must see the window

    installEditorBitmaps();
    probe.frame =
        new CFrame(CRect(0, 0, kWindowWidth, kWindowHeight), reinterpret_cast<void*>(uintptr_t(top)), &probe);
    CBitmap* background = new CBitmap(CResourceDescription(kBackgroundBitmap));
    CBitmap* padBitmap = new CBitmap(CResourceDescription(kPadBitmap));
    CBitmap* handle = new CBitmap(CResourceDescription(kHandleBitmap));
    probe.frame->setBackground(background);
    probe.pad = new NelTouchPad(CRect(kPadLeft, kPadTop, kPadRight, kPadBottom), &probe, 2, padBitmap, handle,
                                CPoint(0, 0));
    probe.frame->addView(probe.pad);
    background->forget();
    padBitmap->forget();
    handle->forget();

    probe.frame->idle();
    std::printf("window %lu\n", probe.frame->getWindowId());
    probe.where();

    std::string pending;
    bool running = true;
    while (running) {
        pollfd in{0, POLLIN, 0};
        if (::poll(&in, 1, 30) > 0) {
            char buf[512];
            const ssize_t n = ::read(0, buf, sizeof buf);
            if (n <= 0)
                break;
            pending.append(buf, size_t(n));
            size_t nl;
            while (running && (nl = pending.find('\n')) != std::string::npos) {
                running = handleCommand(probe, pending.substr(0, nl));
                pending.erase(0, nl + 1);
            }
        }
        probe.frame->idle();
        probe.serviceHostWindow();
    }
    delete probe.frame;
    if (probe.top)
        XDestroyWindow(d, probe.top);
    XCloseDisplay(d);
    return 0;
}
