#pragma once

#include "toolkit/PlatformWindow.h"

#include <memory>

// The frame's child window inside the host's window, on a Display
// connection of its own. All X errors on that connection are swallowed, so
// a host that destroys its window first cannot take the process down
// through Xlib's default error handler; once the window is gone
// (isDestroyed) nothing is drawn or queried any more.
//
// Its size is fixed and says so in WM_NORMAL_HINTS (base = min = max): hosts
// that embed a window size the room they give it from those hints. For a
// host that gives no window of its own, a top-level window of the same kind
// holds the frame's window instead.
class X11Window : public PlatformWindow {
public:
    // Null when there is no X server or the parent is not a window.
    static std::unique_ptr<X11Window> open(unsigned long parent, long width, long height);
    // A window of its own on the screen, with a title, that the user cannot
    // resize; its close button gives a kCloseRequested event. Null when
    // there is no X server.
    static std::unique_ptr<X11Window> openTopLevel(const char* title, long width, long height);
    ~X11Window() override;

    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    unsigned long id() const override { return window; }
    bool isDestroyed() const override { return destroyed; }

    // Round trip to the server so that everything it has sent, a
    // DestroyNotify from the host in particular, is queued here.
    void sync() override;
    // Waits up to ms milliseconds for the server unless events are queued.
    void waitForEvents(int ms) override;
    bool nextEvent(WindowEvent& event) override;

    // False also when the pointer is on another screen.
    bool queryPointer(CPoint& where, long& buttons) override;

    void blit(NativeImage* backBuffer, const CRect& area) override;

    // Turns an X button/modifier state word into CButton flags.
    long buttonFlags(unsigned int state) const;

    // How many X errors our connections have had in this process and were
    // swallowed: none, unless a host destroyed a window under us.
    static long errorsSwallowed();

private:
    X11Window() = default;
    static std::unique_ptr<X11Window> create(struct _XDisplay* display, unsigned long parent, long width,
                                             long height);

    struct _XDisplay* display = nullptr;
    unsigned long window = 0;
    cairo_surface_t* surface = nullptr;
    unsigned int altMask = 0;
    unsigned int superMask = 0;
    unsigned long deleteRequest = 0; // the WM_DELETE_WINDOW atom of a top-level window
    bool destroyed = false;
};
