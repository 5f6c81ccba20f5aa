#pragma once

#include "toolkit/PlatformWindow.h"

#include <windows.h>

#include <deque>
#include <memory>

// The frame's child window inside the host's HWND.
//
// Windows hands messages to the window procedure whenever the host's
// message loop dispatches them, so the procedure only queues what the frame
// must know (exposures, presses, the window's destruction) for the frame's
// next idle, as the X11 side reads its events then, and answers WM_PAINT at
// once from the back buffer last shown, so the window never stays blank
// while the host paints. While a control tracks the mouse (waitForEvents)
// the window pumps the thread's messages itself, all but pointer messages,
// so the host's windows and timers stay alive; the pointer is polled.
//
// The editor never takes the keyboard focus: the host keeps its keys.
class Win32Window : public PlatformWindow {
public:
    // Null when parent is not a window or no window could be made.
    static std::unique_ptr<Win32Window> open(HWND parent, long width, long height);
    ~Win32Window() override;

    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    unsigned long id() const override;
    bool isDestroyed() const override { return destroyed; }

    // Notices a window that went away without telling us (a host in
    // another thread destroying its own window).
    void sync() override;
    void waitForEvents(int ms) override;
    bool nextEvent(WindowEvent& event) override;

    bool queryPointer(CPoint& where, long& buttons) override;

    void blit(NativeImage* backBuffer, const CRect& area) override;

    // What the window procedure does with one message for this window.
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    Win32Window() = default;

    void paint();
    void markDestroyed();
    void pumpMessages();

    HWND window = nullptr;
    std::deque<WindowEvent> events;
    NativeImage* shown = nullptr; // the back buffer last blitted, for WM_PAINT
    bool destroyed = false;
    // False once the object is gone: the message pump may run into a host
    // that closes the editor, and must notice that it is gone too.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};
