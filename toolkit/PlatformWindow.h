#pragma once

#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/NativeGraphics.h"

#include <memory>

// What the frame needs to know from the window system.
struct WindowEvent {
    // kCloseRequested: the user closed a window of its own (its title bar).
    enum Kind { kExposed, kPressed, kDestroyed, kCloseRequested } kind = kExposed;
    CRect area; // kExposed: the uncovered part
    bool last = false; // kExposed: no more exposures of this series follow
    CPoint where; // kPressed: window pixels
    long buttons = 0; // kPressed: CButton flags, the pressed button included
};

// The frame's child window inside the host's window, as the window system
// of the build provides it: X11Window on X11, Win32Window on Windows (the
// build compiles one). All calls come from the thread that opens, idles and
// closes the editor. A window whose host destroyed it first reports
// isDestroyed, and nothing is drawn or queried any more.
class PlatformWindow {
public:
    // A child of parent (an X window id or an HWND, as the host gave it);
    // null when there is no window system or parent is not a window.
    static std::unique_ptr<PlatformWindow> open(void* parent, long width, long height);
    virtual ~PlatformWindow() = default;

    // The window's id as the window system knows it (tests find it by that).
    virtual unsigned long id() const = 0;
    virtual bool isDestroyed() const = 0;

    // Catches up with the window system, so that everything it has for us,
    // the host's destruction of our window in particular, is queued.
    virtual void sync() = 0;
    // Waits up to ms milliseconds unless events are queued; meanwhile the
    // window system's other work (painting, the host's own windows) goes on.
    // Used while a control tracks the mouse.
    virtual void waitForEvents(int ms) = 0;
    // Takes the next queued event that matters. Pointer motion and releases
    // are dropped: mouse tracking polls the pointer instead.
    virtual bool nextEvent(WindowEvent& event) = 0;

    // Pointer position relative to the window and CButton flags; false when
    // the window is gone or the pointer cannot be read.
    virtual bool queryPointer(CPoint& where, long& buttons) = 0;

    // Copies area of the back buffer (an opaque image the window's size)
    // onto the window.
    virtual void blit(NativeImage* backBuffer, const CRect& area) = 0;
};
