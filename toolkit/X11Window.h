#pragma once

#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"

#include <memory>

typedef struct _cairo_surface cairo_surface_t;

// What the frame needs to know from the window system.
struct WindowEvent {
    // kCloseRequested: the user closed a top-level window (its title bar).
    enum Kind { kExposed, kPressed, kDestroyed, kCloseRequested } kind = kExposed;
    CRect area; // kExposed: the uncovered part
    bool last = false; // kExposed: no more exposures of this series follow
    CPoint where; // kPressed: window pixels
    long buttons = 0; // kPressed: CButton flags, the pressed button included
};

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
class X11Window {
public:
    // Null when there is no X server or the parent is not a window.
    static std::unique_ptr<X11Window> open(unsigned long parent, long width, long height);
    // A window of its own on the screen, with a title, that the user cannot
    // resize; its close button gives a kCloseRequested event. Null when
    // there is no X server.
    static std::unique_ptr<X11Window> openTopLevel(const char* title, long width, long height);
    ~X11Window();

    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    unsigned long id() const { return window; }
    bool isDestroyed() const { return destroyed; }

    // Round trip to the server so that everything it has sent, a
    // DestroyNotify from the host in particular, is queued here.
    void sync();
    // Waits up to ms milliseconds for the server unless events are queued.
    void waitForEvents(int ms);
    // Takes the next queued event that matters. Pointer motion and releases
    // are dropped: mouse tracking polls the pointer instead.
    bool nextEvent(WindowEvent& event);

    // Pointer position relative to the window and CButton flags; false when
    // the window is gone or the pointer is on another screen.
    bool queryPointer(CPoint& where, long& buttons);

    // Copies area of the back buffer onto the window.
    void blit(cairo_surface_t* backBuffer, const CRect& area);

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
