// The LV2 editor through what hosts do to it, in one process meant to run
// under valgrind: embedded and closed again and again, both plug-ins, two at
// once, shown on its own and hidden, and a host window destroyed first.
//   lv2_ui_lifecycle_probe UI_OBJECT BUNDLE
#include "tests/lv2/UiHost.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

namespace {

Window makeParent(Display* display, int x)
{
    const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, 330, 272, 0, 0, 0);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
}

void idle(UiInstance& ui, int times)
{
    for (int i = 0; i < times; ++i) {
        ui.idle();
        usleep(5000);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    void* object = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    auto entry = object ? reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(object, "lv2ui_descriptor"))
                        : nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!entry || !display) {
        std::fprintf(stderr, "no UI object or no X server\n");
        return 1;
    }
    const LV2UI_Descriptor* descriptor = entry(0);
    const char* plugins[] = {"urn:corvane:velmora-xy3-2d", "urn:corvane:velmora-xy3-2d-ambix"};
    const Window parent = makeParent(display, 0);
    UiHost host(parent);
    host.bundle = argv[2];
    for (int i = 0; i < 6; ++i) {
        UiInstance ui(descriptor, plugins[i % 2], host);
        ui.sendDefaults();
        ui.portEvent(0, 30.f * float(i));
        idle(ui, 3);
    }
    {
        const Window second = makeParent(display, 400);
        UiHost otherHost(second);
        UiInstance a(descriptor, plugins[0], host), b(descriptor, plugins[1], otherHost);
        idle(a, 2);
        idle(b, 2);
        XDestroyWindow(display, second);
        XSync(display, False);
        idle(b, 2);
    }
    {
        UiHost ownHost(0);
        UiInstance own(descriptor, plugins[1], ownHost);
        for (int i = 0; i < 2; ++i) {
            own.show();
            idle(own, 3);
            own.hide();
        }
        own.show(); // left shown: cleanup closes it
    }
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    // The object stays loaded, as hosts keep plug-ins' objects: the font
    // libraries it brought keep their caches, which valgrind then knows.
    return 0;
}
