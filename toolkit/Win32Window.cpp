#include "toolkit/Win32Window.h"

#include "toolkit/CButton.h"
#include "toolkit/GdiImage.h"

#include <windowsx.h>

#include <mutex>
#include <string>

namespace {

// At most this many messages are handled per pass while a control tracks
// the mouse, so that a flood cannot stall the pointer polling.
const int kMessagesPerPass = 64;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The module this code was loaded from: the plug-in's DLL, never the host's
// executable, whose window classes and instance are not ours.
HMODULE ownModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowProc), &module);
    return module;
}

// The editor's window class, registered while any editor of this DLL is
// open and unregistered after the last one closes: Windows does not remove
// a DLL's classes when the DLL is unloaded, and a class left behind would
// point at code that is gone. The name carries the module's address, so two
// copies of the plug-in (the FuMa and the AmbiX DLL, or one loaded twice
// from two folders) never share a class. Editors of several instances may
// open and close on several host threads.
class WindowClass {
public:
    // The class name, or null when it cannot be registered.
    static const wchar_t* acquire()
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (users == 0 && !registerClass())
            return nullptr;
        ++users;
        return name.c_str();
    }
    static void release()
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (users > 0 && --users == 0)
            UnregisterClassW(name.c_str(), ownModule());
    }

private:
    static bool registerClass()
    {
        HMODULE module = ownModule();
        name = L"VelmoraEditor" + hex(reinterpret_cast<uintptr_t>(module));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = nullptr; // every pixel is ours: nothing to erase first
        wc.lpszClassName = name.c_str();
        if (RegisterClassExW(&wc))
            return true;
        // Left registered by an earlier load of this very code (same address,
        // same procedure): usable as it is.
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof existing;
        return GetLastError() == ERROR_CLASS_ALREADY_EXISTS &&
            GetClassInfoExW(module, name.c_str(), &existing) && existing.lpfnWndProc == windowProc;
    }
    static std::wstring hex(uintptr_t value)
    {
        std::wstring digits;
        do {
            digits.insert(digits.begin(), L"0123456789abcdef"[value & 15]);
            value >>= 4;
        } while (value);
        return digits;
    }

    static std::mutex lock;
    static int users;
    static std::wstring name;
};

std::mutex WindowClass::lock;
int WindowClass::users = 0;
std::wstring WindowClass::name;

bool isDown(int virtualKey)
{
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// Alt and the Windows keys, which mouse messages do not carry, as the
// thread's input saw them with the message.
long modifiersBesideMessage()
{
    long flags = 0;
    if (GetKeyState(VK_MENU) < 0)
        flags |= kAlt;
    if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0)
        flags |= kApple;
    return flags;
}

// The CButton flags of a button message's key state word.
long messageFlags(WPARAM keys)
{
    long flags = modifiersBesideMessage();
    if (keys & MK_LBUTTON)
        flags |= kLButton;
    if (keys & MK_MBUTTON)
        flags |= kMButton;
    if (keys & MK_RBUTTON)
        flags |= kRButton;
    if (keys & MK_SHIFT)
        flags |= kShift;
    if (keys & MK_CONTROL)
        flags |= kControl;
    return flags;
}

// The buttons and keys held now. The asynchronous state is the physical
// buttons': with swapped buttons the right one is the primary.
long heldFlags()
{
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    long flags = 0;
    if (isDown(swapped ? VK_RBUTTON : VK_LBUTTON))
        flags |= kLButton;
    if (isDown(VK_MBUTTON))
        flags |= kMButton;
    if (isDown(swapped ? VK_LBUTTON : VK_RBUTTON))
        flags |= kRButton;
    if (isDown(VK_SHIFT))
        flags |= kShift;
    if (isDown(VK_CONTROL))
        flags |= kControl;
    if (isDown(VK_MENU))
        flags |= kAlt;
    if (isDown(VK_LWIN) || isDown(VK_RWIN))
        flags |= kApple;
    return flags;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    try {
        result = window ? window->handle(hwnd, message, wParam, lParam)
                        : DefWindowProcW(hwnd, message, wParam, lParam);
    } catch (...) {
        // No exception may unwind into the system's code that called us
        // (out of memory while queueing an event: the event is lost).
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // The last message: nothing may reach the object through this window
    // any more.
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return result;
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::open(void* parent, long width, long height)
{
    return Win32Window::open(static_cast<HWND>(parent), width, height);
}

std::unique_ptr<Win32Window> Win32Window::open(HWND parent, long width, long height)
{
    if (!parent || !IsWindow(parent))
        return nullptr;
    const wchar_t* className = WindowClass::acquire();
    if (!className)
        return nullptr;
    std::unique_ptr<Win32Window> w(new Win32Window);
    // A window cannot be empty; a frame without a background still gets one.
    const int wpx = int(width > 1 ? width : 1);
    const int hpx = int(height > 1 ? height : 1);
    HWND hwnd = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, wpx, hpx, parent,
                                nullptr, ownModule(), w.get());
    if (!hwnd) {
        // The class stays counted for the object's destructor to release.
        w->destroyed = true;
        return nullptr;
    }
    w->window = hwnd;
    return w;
}

Win32Window::~Win32Window()
{
    *alive = false;
    if (window && !destroyed)
        DestroyWindow(window);
    WindowClass::release();
}

unsigned long Win32Window::id() const
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window));
}

LRESULT Win32Window::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: window = hwnd; break;
    case WM_ERASEBKGND: return 1; // painting covers every pixel: no flash of a cleared window
    case WM_PAINT: paint(); return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        WindowEvent e;
        e.kind = WindowEvent::kPressed;
        e.where = CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        e.buttons = messageFlags(wParam);
        events.push_back(e);
        return 0;
    }
    case WM_DESTROY: markDestroyed(); break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The window shows the back buffer as last shown; the frame hears of the
// exposure at its next idle (the first one makes it paint everything).
void Win32Window::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc && shown)
        shown->copyTo(dc, ps.rcPaint);
    EndPaint(window, &ps);
    WindowEvent e;
    e.kind = WindowEvent::kExposed;
    e.area = CRect(ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    e.last = true;
    events.push_back(e);
}

void Win32Window::markDestroyed()
{
    if (destroyed)
        return;
    destroyed = true;
    WindowEvent e;
    e.kind = WindowEvent::kDestroyed;
    events.push_back(e);
}

void Win32Window::sync()
{
    if (!destroyed && !IsWindow(window))
        markDestroyed();
}

void Win32Window::waitForEvents(int ms)
{
    if (!events.empty())
        return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(ms), QS_ALLINPUT);
    pumpMessages();
}

// Handles the thread's messages but pointer messages, as the host's loop
// would: the host's windows keep painting and its timers keep running while
// a control holds the mouse. Our own pointer messages are dropped: the
// tracking control polls the pointer, and a press queued meanwhile would
// start a second gesture afterwards. A message may reach the host, which
// may close the editor and with it this window: the object is not touched
// once that happened.
void Win32Window::pumpMessages()
{
    const std::shared_ptr<bool> stillHere = alive;
    MSG msg;
    if (!destroyed)
        while (PeekMessageW(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
    for (int i = 0; i < kMessagesPerPass && *stillHere; ++i) {
        if (!PeekMessageW(&msg, nullptr, 0, WM_MOUSEFIRST - 1, PM_REMOVE) &&
            !PeekMessageW(&msg, nullptr, WM_MOUSELAST + 1, 0xFFFFFFFF, PM_REMOVE))
            break;
        if (msg.message == WM_QUIT) {
            // The host's loop must still see it.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Win32Window::nextEvent(WindowEvent& event)
{
    if (events.empty())
        return false;
    event = events.front();
    events.pop_front();
    return true;
}

bool Win32Window::queryPointer(CPoint& where, long& buttons)
{
    buttons = 0;
    if (destroyed || !IsWindow(window))
        return false;
    POINT p;
    if (!GetCursorPos(&p) || !ScreenToClient(window, &p))
        return false;
    where = CPoint(p.x, p.y);
    buttons = heldFlags();
    return true;
}

void Win32Window::blit(NativeImage* backBuffer, const CRect& area)
{
    shown = backBuffer;
    if (destroyed || !backBuffer || area.isEmpty())
        return;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    backBuffer->copyTo(dc, RECT{LONG(area.left), LONG(area.top), LONG(area.right), LONG(area.bottom)});
    ReleaseDC(window, dc);
}
