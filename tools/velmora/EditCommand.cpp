// velmora edit: the plug-in's editor in a window of its own, driven by idle
// calls every 30 ms as a DAW drives it. Every request the plug-in sends
// back is printed ("automate INDEX VALUE", "begin INDEX", "end INDEX"; idle
// requests are only counted), so the editor can be tried without a DAW.
//
// Lines on standard input act as the host would:
//   set INDEX VALUE   a host parameter change      get INDEX   value and text
//   close / open      close or reopen the editor   shot FILE   PNG of the window
//   destroy           destroy the window under the open editor (then "open"
//                     makes a new one)             quit        end
//   scale F           the host's display scale request (effVendorSpecific)
// The program also ends when the window is closed. --scale F sends the same
// request before the editor's size is asked for, so the window opens at
// that factor; a plug-in that wants to resize its open window is let
// ("resized W H").

#include "tools/velmora/CommandLine.h"
#include "tools/velmora/CommandRegistry.h"
#include "tools/HostError.h"
#include "tools/pluginhost/ParameterResolver.h"
#include "tools/velmora/PluginOptions.h"
#include "tools/pluginhost/PluginHost.h"
#include "tools/capture/WindowCapture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

const char kUsage[] = "[--format fuma|ambix] [--plugin PATH] [--set NAME=VALUE]... [--scale F] [--screenshot FILE]";
const int kIdleMs = 30;
// Idle calls before a --screenshot is taken: the first exposure and paint
// need a few.
const int kIdlesBeforeScreenshot = 10;

long idleRequests = 0;

// The window this host gives the editor, on the host's own connection.
struct HostWindow {
    Display* display = nullptr;
    Window window = 0;
    Atom deleteAtom = 0;
    bool closedByUser = false;

    void create(int width, int height, const std::string& title)
    {
        const int screen = DefaultScreen(display);
        window =
            XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height),
                                0, BlackPixel(display, screen), BlackPixel(display, screen));
        XStoreName(display, window, title.c_str());
        XSetWMProtocols(display, window, &deleteAtom, 1);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        // The plug-in creates its window inside ours on another connection:
        // ours must exist on the server before we hand it over.
        XSync(display, False);
    }
    void resize(int width, int height)
    {
        if (!window)
            return;
        XResizeWindow(display, window, unsigned(width), unsigned(height));
        // As at creation: the plug-in builds its new window on another
        // connection, inside ours at the new size.
        XSync(display, False);
    }
    void destroy()
    {
        if (!window)
            return;
        XDestroyWindow(display, window);
        XSync(display, False);
        window = 0;
    }
    // Takes what the server sent us; the editor's events go to its own
    // connection.
    void service()
    {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == deleteAtom)
                closedByUser = true;
        }
    }
};

HostWindow hostWindow;

VstIntPtr editHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt)
{
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterAutomate: std::printf("automate %d %.6f\n", index, double(opt)); return 0;
    case audioMasterBeginEdit: std::printf("begin %d\n", index); return 1;
    case audioMasterEndEdit: std::printf("end %d\n", index); return 1;
    case audioMasterSizeWindow:
        if (!hostWindow.window || index <= 0 || value <= 0)
            return 0;
        hostWindow.resize(index, int(value));
        std::printf("resized %d %d\n", index, int(value));
        return 1;
    case audioMasterIdle:
        // The editor holds the mouse and calls this instead of returning to
        // our loop: keep our own window alive meanwhile.
        ++idleRequests;
        if (hostWindow.display)
            hostWindow.service();
        return 0;
    default: return 0;
    }
}

// --set NAME=VALUE, in the units render takes.
void applySettings(PluginHost& plugin, const std::vector<std::string>& settings)
{
    const ParameterResolver resolver(plugin.isOwnEncoder(), plugin.parameterNames());
    for (const std::string& setting : settings) {
        const ParameterResolver::Assignment a = resolver.assignment(setting);
        plugin.setParameter(a.index, a.normalised);
    }
}

// The request hosts send VST 2.x plug-ins to scale their editors.
const VstInt32 kScaleRequestIndex = ('P' << 24) | ('r' << 16) | ('e' << 8) | 'S';
const VstIntPtr kScaleRequestValue = ('A' << 24) | ('e' << 16) | ('C' << 8) | 's';

VstIntPtr requestScale(PluginHost& plugin, float factor)
{
    return plugin.dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, factor);
}

// --scale F: any number; the plug-in clamps it to what it supports.
float scaleOption(const CommandLine& line)
{
    const std::string text = line.value("scale");
    if (text.empty())
        return 0.f;
    char* end = nullptr;
    const double factor = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != 0 || !std::isfinite(factor) || factor <= 0.0)
        throw HostError("--scale '" + text + "' is not a positive number");
    return float(factor);
}

bool hasEditor(PluginHost& plugin)
{
    return (plugin.record().flags & effFlagsHasEditor) != 0;
}

void readSize(PluginHost& plugin, int& width, int& height)
{
    ERect* rect = nullptr;
    if (!plugin.dispatch(effEditGetRect, 0, 0, &rect) || !rect)
        throw HostError("the plug-in does not tell the size of its editor");
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
        throw HostError("the plug-in's editor has no size");
}

struct Session {
    PluginHost& plugin;
    int width = 0;
    int height = 0;
    bool editorOpen = false;

    void openEditor()
    {
        if (editorOpen)
            return;
        if (!hostWindow.window) {
            // Asked anew each time: the plug-in's size follows its display scale.
            readSize(plugin, width, height);
            hostWindow.create(width, height, "velmora edit - " + plugin.text(effGetEffectName));
        }
        plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(hostWindow.window)));
        editorOpen = true;
    }
    void closeEditor()
    {
        if (!editorOpen)
            return;
        plugin.dispatch(effEditClose);
        editorOpen = false;
    }
    void idle()
    {
        if (editorOpen)
            plugin.dispatch(effEditIdle);
        hostWindow.service();
    }

    // One command line; false to end the session.
    bool run(const std::string& line)
    {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "quit")
            return false;
        if (word == "set") {
            int index = -1;
            float value = 0;
            if (in >> index >> value)
                plugin.setParameter(index, value);
        } else if (word == "get") {
            int index = -1;
            if (in >> index)
                std::printf("value %d %.6f %s\n", index, double(plugin.getParameter(index)),
                            plugin.text(effGetParamDisplay, index).c_str());
        } else if (word == "open") {
            openEditor();
            std::printf("opened\n");
        } else if (word == "close") {
            closeEditor();
            std::printf("closed\n");
        } else if (word == "destroy") {
            hostWindow.destroy();
            std::printf("destroyed\n");
        } else if (word == "scale") {
            float factor = 0.f;
            in >> factor;
            std::printf("scale %s\n", requestScale(plugin, factor) ? "taken" : "refused");
        } else if (word == "shot") {
            std::string file;
            in >> file;
            const bool ok =
                hostWindow.window && !file.empty() && captureWindowPng(hostWindow.window, file.c_str());
            std::printf("shot %s\n", ok ? "ok" : "failed");
        } else if (!word.empty()) {
            std::printf("unknown command '%s'\n", word.c_str());
        }
        return true;
    }
};

// Reads whole lines from standard input without blocking the idle calls.
class InputLines {
public:
    bool open() const { return !ended; }
    bool next(std::string& line)
    {
        const size_t nl = pending.find('\n');
        if (nl == std::string::npos)
            return false;
        line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        return true;
    }
    void read()
    {
        char buffer[512];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0)
            ended = true;
        else
            pending.append(buffer, size_t(n));
    }

private:
    std::string pending;
    bool ended = false;
};

int edit(const std::vector<std::string>& arguments)
{
    const CommandLine line(arguments, {"format", "plugin", "scale", "screenshot", "set"}, {});
    line.expectPositional(0, 0, std::string("edit ") + kUsage);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const float scale = scaleOption(line);

    hostWindow.display = XOpenDisplay(nullptr);
    if (!hostWindow.display)
        throw HostError("cannot open the X display (is DISPLAY set?)");
    hostWindow.deleteAtom = XInternAtom(hostWindow.display, "WM_DELETE_WINDOW", False);

    int status = 0;
    {
        PluginHost plugin(pluginChoiceOf(line).path(), editHostCallback);
        if (!hasEditor(plugin))
            throw HostError("the plug-in has no editor");
        applySettings(plugin, line.values("set"));
        if (scale > 0.f && !requestScale(plugin, scale))
            std::fprintf(stderr, "velmora: the plug-in does not take a display scale\n");
        Session session{plugin};
        session.openEditor();
        std::printf("ready window %lu size %d %d\n", hostWindow.window, session.width, session.height);

        const std::string screenshot = line.value("screenshot");
        InputLines input;
        bool running = true;
        for (int idles = 0; running && !hostWindow.closedByUser; ++idles) {
            pollfd fds[2] = {{ConnectionNumber(hostWindow.display), POLLIN, 0}, {0, POLLIN, 0}};
            ::poll(fds, input.open() && screenshot.empty() ? 2 : 1, kIdleMs);
            if (input.open() && (fds[1].revents & (POLLIN | POLLHUP)))
                input.read();
            std::string command;
            while (running && input.next(command))
                running = session.run(command);
            session.idle();
            if (!screenshot.empty() && idles == kIdlesBeforeScreenshot) {
                if (!captureWindowPng(hostWindow.window, screenshot.c_str())) {
                    std::fprintf(stderr, "velmora: cannot write %s\n", screenshot.c_str());
                    status = 1;
                }
                running = false;
            }
        }
        session.closeEditor();
        std::printf("idle requests %ld\n", idleRequests);
    }
    hostWindow.destroy();
    XCloseDisplay(hostWindow.display);
    hostWindow.display = nullptr;
    return status;
}

const CommandRegistration
    registration({"edit", kUsage, "open the plug-in's editor in a window and print what it sends", edit});

} // namespace
