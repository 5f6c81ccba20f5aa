// UiScale's questions to the X11 desktop: the environment, the X server's
// Xft.dpi resource, GDK_SCALE.
#include "toolkit/UiScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

} // namespace

double UiScale::current(float hostRequest)
{
    Sources sources;
    sources.hostRequest = hostRequest;
    sources.environment = environment("VELMORA_UI_SCALE");
    sources.xftDpi = readXftDpi;
    sources.gdkScale = environment("GDK_SCALE");
    return choose(sources);
}

std::string UiScale::readXftDpi()
{
    // A connection of our own, for this one question: the editor's window
    // connection does not exist yet when the host asks for the size.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return "";
    std::string dpi;
    // The resources xrdb loaded, as the server holds them on the root window.
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase db = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi = value.addr;
            XrmDestroyDatabase(db);
        }
    }
    XCloseDisplay(display);
    return dpi;
}
