#include "toolkit/UiScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>

namespace {

// Desktops state their density as dots per inch; 96 is the size the
// editor was drawn for.
const double kDesignDpi = 96.0;

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The whole text as a number. Trailing blanks are tolerated (xrdb keeps
// them); anything else makes it no number.
bool number(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    while (*end == ' ' || *end == '\t')
        ++end;
    return end != text.c_str() && *end == 0;
}

} // namespace

bool UiScale::usable(double value, double& factor)
{
    if (!std::isfinite(value) || value <= 0.0)
        return false;
    factor = value < kMinimum ? kMinimum : value > kMaximum ? kMaximum : value;
    return true;
}

bool UiScale::parse(const std::string& text, double& factor)
{
    double value = 0.0;
    return number(text, value) && usable(value, factor);
}

double UiScale::choose(const Sources& sources)
{
    double factor = kMinimum;
    if (usable(double(sources.hostRequest), factor) || parse(sources.environment, factor))
        return factor;
    double dpi = 0.0;
    if (sources.xftDpi && number(sources.xftDpi(), dpi) && usable(dpi / kDesignDpi, factor))
        return factor;
    if (parse(sources.gdkScale, factor))
        return factor;
    return kMinimum;
}

double UiScale::current(float hostRequest)
{
    Sources sources;
    sources.hostRequest = hostRequest;
    sources.environment = environment("VELMORA_UI_SCALE");
    sources.xftDpi = readXftDpi;
    sources.gdkScale = environment("GDK_SCALE");
    return choose(sources);
}

bool UiScale::isHostRequest(VstInt32 index, VstIntPtr value)
{
    return index == kHostRequestIndex && value == kHostRequestValue;
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
