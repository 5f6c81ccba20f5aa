// Two instances of the built plug-in in one process, each with its editor
// in a window of its own, put through what hosts do to editors: open,
// close, reopen, idle and parameter changes while closed, close twice, the
// parent window destroyed under an open editor, the effect closed with its
// window open. Meant to run under valgrind.

#include "plugin/AEffectX.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

Display* display = nullptr;

struct Instance {
    AEffect* fx = nullptr;
    Window parent = 0;

    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr)
    {
        return fx->dispatcher(fx, opcode, index, value, ptr, 0.f);
    }
    // Opens the editor in the current window, or a new one at x.
    void open(int x = 0)
    {
        if (!parent) {
            parent = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, 330, 272, 0, 0, 0);
            XMapWindow(display, parent);
            XSync(display, False);
        }
        call(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(parent)));
    }
    void destroyParent()
    {
        XDestroyWindow(display, parent);
        XSync(display, False);
        parent = 0;
    }
};

void idleAll(Instance* a, Instance* b, int times)
{
    for (int i = 0; i < times; ++i) {
        a->call(effEditIdle);
        b->call(effEditIdle);
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
        }
        usleep(5000);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    display = XOpenDisplay(nullptr);
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!display || !lib)
        return 3;
    auto entry = reinterpret_cast<EntryPoint>(dlsym(lib, "VSTPluginMain"));
    Instance a, b;
    a.fx = entry(quietHost);
    b.fx = entry(quietHost);
    if (!a.fx || !b.fx || a.fx == b.fx)
        return 4;
    a.call(effOpen);
    b.call(effOpen);

    a.call(effEditIdle); // idle before any open
    a.open();
    b.open(340);
    idleAll(&a, &b, 10);

    // The host destroys A's window first, changes a parameter, then closes.
    a.destroyParent();
    a.fx->setParameter(a.fx, 0, 0.25f);
    idleAll(&a, &b, 5);
    a.call(effEditClose);
    a.call(effEditClose);

    // Changes while closed, idle while closed, then a reopen in a new window.
    b.call(effEditClose);
    b.fx->setParameter(b.fx, 6, 0.f);
    b.call(effEditIdle);
    a.open();
    b.open();
    b.fx->setParameter(b.fx, 2, 0.75f);
    idleAll(&a, &b, 10);
    for (int cycle = 0; cycle < 3; ++cycle) {
        a.call(effEditClose);
        a.open();
        a.call(effEditIdle);
    }

    // A closes politely; B's host closes the plug-in with the window open.
    a.call(effEditClose);
    a.call(effClose);
    b.call(effClose);
    a.destroyParent();
    b.destroyParent();
    // The library stays loaded: unloading it would unload cairo and
    // fontconfig with it, whose process-wide pools valgrind would then count
    // as lost.
    XCloseDisplay(display);
    return 0;
}
