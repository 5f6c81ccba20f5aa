#include "toolkit/X11Window.h"

#include "toolkit/CButton.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// Xlib has one error handler per process. Ours swallows errors on the
// connections of our windows and passes every other error to the handler
// that was installed before (the host's, or Xlib's default). Editors of two
// instances may open and close on two host threads: the list is shared.
std::mutex displaysLock;
std::vector<Display*> ourDisplays;
XErrorHandler previousHandler = nullptr;
std::atomic<long> swallowed{0};

int swallowOurErrors(Display* d, XErrorEvent* e)
{
    XErrorHandler passOn;
    {
        const std::lock_guard<std::mutex> lock(displaysLock);
        if (std::find(ourDisplays.begin(), ourDisplays.end(), d) != ourDisplays.end()) {
            ++swallowed;
            return 0;
        }
        passOn = previousHandler;
    }
    return passOn ? passOn(d, e) : 0;
}

void adoptDisplay(Display* d)
{
    const std::lock_guard<std::mutex> lock(displaysLock);
    if (ourDisplays.empty())
        previousHandler = XSetErrorHandler(swallowOurErrors);
    ourDisplays.push_back(d);
}

void releaseDisplay(Display* d)
{
    const std::lock_guard<std::mutex> lock(displaysLock);
    ourDisplays.erase(std::remove(ourDisplays.begin(), ourDisplays.end(), d), ourDisplays.end());
    if (ourDisplays.empty()) {
        // If the host installed a handler of its own since, that one stays.
        const XErrorHandler current = XSetErrorHandler(previousHandler);
        if (current != swallowOurErrors)
            XSetErrorHandler(current);
        previousHandler = nullptr;
    }
}

// The modifier bit (Mod1..Mod5) that carries one of the given keys.
unsigned int modifierFor(Display* d, std::initializer_list<KeySym> keys)
{
    XModifierKeymap* map = XGetModifierMapping(d);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int mod = Mod1MapIndex; mod <= Mod5MapIndex && !mask; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            const KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
            if (!code)
                continue;
            const KeySym sym = XkbKeycodeToKeysym(d, code, 0, 0);
            if (std::find(keys.begin(), keys.end(), sym) != keys.end())
                mask = 1u << mod;
        }
    }
    XFreeModifiermap(map);
    return mask;
}

const long kEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;

// A size nobody may change: hosts that embed the window read the room it
// needs from these hints, window managers keep a top-level window at it.
void declareFixedSize(Display* d, Window w, unsigned int width, unsigned int height)
{
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    hints->flags = PBaseSize | PMinSize | PMaxSize;
    hints->base_width = hints->min_width = hints->max_width = int(width);
    hints->base_height = hints->min_height = hints->max_height = int(height);
    XSetWMNormalHints(d, w, hints);
    XFree(hints);
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::open(void* parent, long width, long height)
{
    return X11Window::open(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)), width, height);
}

std::unique_ptr<X11Window> X11Window::open(unsigned long parent, long width, long height)
{
    if (!parent)
        return nullptr;
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return nullptr;
    return create(d, parent, width, height);
}

std::unique_ptr<X11Window> X11Window::openTopLevel(const char* title, long width, long height)
{
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return nullptr;
    auto w = create(d, DefaultRootWindow(d), width, height);
    if (!w)
        return nullptr;
    XStoreName(d, w->window, title);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    XChangeProperty(d, w->window, XInternAtom(d, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), int(std::strlen(title)));
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w->window, &deleteWindow, 1);
    w->deleteRequest = deleteWindow;
    XFlush(d);
    return w;
}

// Takes over the display: on any failure it is closed with the window.
std::unique_ptr<X11Window> X11Window::create(Display* d, unsigned long parent, long width, long height)
{
    adoptDisplay(d);
    std::unique_ptr<X11Window> w(new X11Window);
    w->display = d;

    // The round trip also tells whether the host gave us a real window.
    XWindowAttributes parentAttr;
    if (!XGetWindowAttributes(d, parent, &parentAttr)) {
        w->destroyed = true;
        return nullptr;
    }
    XSetWindowAttributes attr = {};
    attr.event_mask = kEventMask;
    attr.background_pixmap = None; // we paint every pixel; no flash of a cleared window
    attr.bit_gravity = NorthWestGravity;
    // A window cannot be empty; a frame without a background still gets one.
    const unsigned int wpx = unsigned(std::max(1L, width));
    const unsigned int hpx = unsigned(std::max(1L, height));
    w->window = XCreateWindow(d, parent, 0, 0, wpx, hpx, 0, CopyFromParent, InputOutput, CopyFromParent,
                              CWEventMask | CWBackPixmap | CWBitGravity, &attr);
    XWindowAttributes own;
    if (!w->window || !XGetWindowAttributes(d, w->window, &own)) {
        w->destroyed = true;
        return nullptr;
    }
    declareFixedSize(d, w->window, wpx, hpx);
    w->altMask = modifierFor(d, {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R});
    w->superMask = modifierFor(d, {XK_Super_L, XK_Super_R});
    w->surface = cairo_xlib_surface_create(d, w->window, own.visual, int(wpx), int(hpx));
    XMapWindow(d, w->window);
    // The hints must be on the server before the host looks at the window.
    XFlush(d);
    return w;
}

X11Window::~X11Window()
{
    if (!display)
        return;
    // Learn whether the host destroyed our window already; destroying it
    // again would only produce an error.
    sync();
    WindowEvent ignored;
    while (nextEvent(ignored)) {}
    if (window && !destroyed)
        XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    // Cairo finished its device when the display closed; this only frees.
    if (surface)
        cairo_surface_destroy(surface);
    releaseDisplay(display);
}

void X11Window::sync()
{
    XSync(display, False);
}

void X11Window::waitForEvents(int ms)
{
    // Xlib may already hold events it has read; poll() would not see them.
    if (XPending(display))
        return;
    pollfd pfd{ConnectionNumber(display), POLLIN, 0};
    ::poll(&pfd, 1, ms);
}

bool X11Window::nextEvent(WindowEvent& out)
{
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
        switch (e.type) {
        case Expose:
            if (e.xexpose.window != window)
                break;
            out.kind = WindowEvent::kExposed;
            out.area = CRect(e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                             e.xexpose.y + e.xexpose.height);
            out.last = e.xexpose.count == 0;
            return true;
        case ButtonPress: {
            if (e.xbutton.window != window)
                break;
            out.kind = WindowEvent::kPressed;
            out.where = CPoint(e.xbutton.x, e.xbutton.y);
            // The state is the one before the press: add the pressed button.
            unsigned int state = e.xbutton.state;
            if (e.xbutton.button >= Button1 && e.xbutton.button <= Button3)
                state |= Button1Mask << (e.xbutton.button - Button1);
            out.buttons = buttonFlags(state);
            return true;
        }
        case DestroyNotify:
            if (e.xdestroywindow.window != window)
                break;
            destroyed = true;
            out.kind = WindowEvent::kDestroyed;
            return true;
        case ClientMessage:
            if (e.xclient.window != window || !deleteRequest ||
                static_cast<unsigned long>(e.xclient.data.l[0]) != deleteRequest)
                break;
            out.kind = WindowEvent::kCloseRequested;
            return true;
        default: break;
        }
    }
    return false;
}

long X11Window::errorsSwallowed()
{
    return swallowed.load();
}

long X11Window::buttonFlags(unsigned int state) const
{
    long flags = 0;
    if (state & Button1Mask)
        flags |= kLButton;
    if (state & Button2Mask)
        flags |= kMButton;
    if (state & Button3Mask)
        flags |= kRButton;
    if (state & ShiftMask)
        flags |= kShift;
    if (state & ControlMask)
        flags |= kControl;
    if (altMask && (state & altMask))
        flags |= kAlt;
    if (superMask && (state & superMask))
        flags |= kApple;
    return flags;
}

bool X11Window::queryPointer(CPoint& where, long& buttons)
{
    buttons = 0;
    if (destroyed)
        return false;
    Window root, child;
    int rootX, rootY, x, y;
    unsigned int mask;
    if (!XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    where = CPoint(x, y);
    buttons = buttonFlags(mask);
    return true;
}

void X11Window::blit(NativeImage* backBuffer, const CRect& area)
{
    if (destroyed || !surface || area.isEmpty())
        return;
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, backBuffer, 0, 0);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    XFlush(display);
}
