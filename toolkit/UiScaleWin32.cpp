// UiScale's questions to Windows: the environment, then the DPI of the
// host's window the editor opens in, else of the system, else of the screen.
#include "toolkit/UiScale.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A user32 function that older Windows lack (GetDpiForWindow and
// GetDpiForSystem came with Windows 10 1607), or null.
template <typename Function> Function user32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// The window's density, which is what a host that is aware of each
// monitor's density sees; a host that is not aware gets 96 and is enlarged
// by Windows itself.
std::string windowDpi()
{
    using DpiOfWindow = UINT(WINAPI*)(HWND);
    using DpiOfSystem = UINT(WINAPI*)();
    UINT dpi = 0;
    HWND parent = static_cast<HWND>(UiScale::parentWindow());
    if (parent && IsWindow(parent))
        if (const auto ofWindow = user32Function<DpiOfWindow>("GetDpiForWindow"))
            dpi = ofWindow(parent);
    if (dpi == 0)
        if (const auto ofSystem = user32Function<DpiOfSystem>("GetDpiForSystem"))
            dpi = ofSystem();
    if (dpi == 0) {
        if (HDC screen = GetDC(nullptr)) {
            dpi = UINT(GetDeviceCaps(screen, LOGPIXELSX));
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi ? std::to_string(dpi) : std::string();
}

} // namespace

double UiScale::current(float hostRequest)
{
    Sources sources;
    sources.hostRequest = hostRequest;
    sources.environment = environment("VELMORA_UI_SCALE");
    sources.xftDpi = windowDpi;
    return choose(sources);
}
