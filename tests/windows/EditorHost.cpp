// The Windows test host's editor side: the plug-in's editor in a top-level
// window of the host's own, idled every 30 ms from a timer as Windows hosts
// idle their editors, driven by lines on standard input like `velmora edit`
// on Linux, and printing what the plug-in sends back:
//   automate INDEX VALUE / begin INDEX / end INDEX   requests from the editor
//   resized W H                                      the editor asked to resize
//   ready window HWND size W H                       the editor is open
// Commands:
//   set INDEX VALUE   get INDEX ("value INDEX VALUE TEXT")   child ("child W H")
//   open / close      destroy (the host window under the open editor)
//   scale F           the host's display scale request
//   cycle N           close and reopen the editor N times, idling in between
//   other PATH        a second plug-in file's editor beside ours for half a
//                     second, then that file unloaded ("other done")
//   quit              ends; prints "idle requests N" first
// `stress SECONDS` instead runs the audio, automation and editor threads of
// a host against one instance and reports what it saw.

#include "tests/windows/EditorHost.h"

#include "tests/windows/LoadedPlugin.h"

#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace editorhost {

namespace {

const UINT kIdleTimer = 1;
const UINT kIdleMs = 30;
const UINT kCommandMessage = WM_APP + 1;
const wchar_t kHostClass[] = L"VelmoraTestHost";
const wchar_t kHostTitle[] = L"Velmora test host";

std::mutex printLock;
std::atomic<long> idleRequests{0};
std::atomic<long> automations{0};
std::atomic<bool> printRequests{true};

struct Host;
Host* host = nullptr;
VstIntPtr editHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt);

void say(const char* format, ...)
{
    const std::lock_guard<std::mutex> hold(printLock);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

struct Host {
    LoadedPlugin* plugin = nullptr;
    HWND window = nullptr;
    HWND commandWindow = nullptr; // message-only: commands reach it inside any message loop
    bool editorOpen = false;
    bool quitting = false;
    std::mutex commandsLock;
    std::deque<std::string> commands;

    AEffect* effect() const { return plugin->record(); }

    void createWindow(int width, int height)
    {
        window = CreateWindowExW(0, kHostClass, kHostTitle, WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        SetTimer(window, kIdleTimer, kIdleMs, nullptr);
    }

    // Asks the editor's size, makes a window of that size if there is none,
    // opens the editor in it.
    void openEditor()
    {
        ERect* r = nullptr;
        plugin->dispatch(effEditGetRect, 0, 0, &r);
        const int w = r ? r->right - r->left : 0, h = r ? r->bottom - r->top : 0;
        if (!window)
            createWindow(w, h);
        else
            SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const VstIntPtr opened = plugin->dispatch(effEditOpen, 0, 0, window);
        editorOpen = true;
        if (printRequests)
            say("ready window %lu size %d %d opened %ld\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)),
            w, h, long(opened));
    }

    void closeEditor()
    {
        if (!editorOpen)
            return;
        plugin->dispatch(effEditClose);
        editorOpen = false;
    }

    void idle()
    {
        if (editorOpen)
            plugin->dispatch(effEditIdle);
    }

    // Runs the message loop for ms milliseconds (the editor idles meanwhile).
    void runFor(int ms)
    {
        const DWORD end = GetTickCount() + DWORD(ms);
        MSG msg;
        while (int(end - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }

    void run(const std::string& line)
    {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        if (verb == "set") {
            int index = 0;
            float value = 0.f;
            in >> index >> value;
            effect()->setParameter(effect(), index, value);
        } else if (verb == "get") {
            int index = 0;
            in >> index;
            say("value %d %.6f %s\n", index, double(effect()->getParameter(effect(), index)),
                plugin->text(effGetParamDisplay, index).c_str());
        } else if (verb == "child") {
            RECT rc{};
            HWND child = window ? GetWindow(window, GW_CHILD) : nullptr;
            if (child)
                GetClientRect(child, &rc);
            say("child %ld %ld\n", long(rc.right - rc.left), long(rc.bottom - rc.top));
        } else if (verb == "open") {
            openEditor();
        } else if (verb == "close") {
            closeEditor();
            say("closed\n");
        } else if (verb == "destroy") {
            if (window)
                DestroyWindow(window);
            window = nullptr;
            say("destroyed\n");
        } else if (verb == "scale") {
            float factor = 0.f;
            in >> factor;
            const VstIntPtr taken = plugin->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, factor);
            say("scale %s\n", taken ? "taken" : "refused");
        } else if (verb == "cycle") {
            int times = 0;
            in >> times;
            for (int i = 0; i < times; ++i) {
                closeEditor();
                openEditor();
                runFor(40);
            }
            say("cycled %d\n", times);
        } else if (verb == "other") {
            std::string path;
            in >> path;
            openOther(path);
            say("other done\n");
        } else if (verb == "quit") {
            quitting = true;
            closeEditor();
            say("idle requests %ld\n", idleRequests.load());
            PostQuitMessage(0);
        }
    }

    // Another plug-in file in the same process, its editor open beside ours,
    // then closed and the file unloaded while ours stays open.
    void openOther(const std::string& path)
    {
        LoadedPlugin other(path, editHost);
        ERect* r = nullptr;
        other.dispatch(effEditGetRect, 0, 0, &r);
        const int w = r ? r->right - r->left : 0, h = r ? r->bottom - r->top : 0;
        HWND second = CreateWindowExW(0, kHostClass, L"Velmora second host", WS_POPUP | WS_VISIBLE, 400, 0, w, h,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        other.dispatch(effEditOpen, 0, 0, second);
        for (int i = 0; i < 16; ++i) {
            runFor(30);
            other.dispatch(effEditIdle);
        }
        other.dispatch(effEditClose);
        DestroyWindow(second);
    }

    void takeCommands()
    {
        for (;;) {
            std::string line;
            {
                const std::lock_guard<std::mutex> hold(commandsLock);
                if (commands.empty())
                    return;
                line = commands.front();
                commands.pop_front();
            }
            run(line);
        }
    }
};

VstIntPtr editHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt)
{
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterAutomate:
        ++automations;
        if (printRequests)
            say("automate %d %.6f\n", index, double(opt));
        return 0;
    case audioMasterBeginEdit:
        if (printRequests)
            say("begin %d\n", index);
        return 1;
    case audioMasterEndEdit:
        if (printRequests)
            say("end %d\n", index);
        return 1;
    case audioMasterIdle: ++idleRequests; return 0;
    case audioMasterSizeWindow:
        if (!host || !host->window || index <= 0 || value <= 0)
            return 0;
        SetWindowPos(host->window, nullptr, 0, 0, index, int(value), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        say("resized %d %d\n", index, int(value));
        return 1;
    case audioMasterGetSampleRate: return 48000;
    case audioMasterGetBlockSize: return 256;
    case audioMasterUpdateDisplay: return 1;
    default: return 0;
    }
}

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (host && wParam == kIdleTimer)
            host->idle();
        return 0;
    case kCommandMessage:
        if (host)
            host->takeCommands();
        return 0;
    case WM_DESTROY:
        if (host && host->window == hwnd) {
            // The window goes with the editor still open inside, as when a
            // user closes a host's window: the plug-in must survive it.
            host->window = nullptr;
        }
        return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void registerHostClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHostClass;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassExW(&wc);
}

// Standard input, line by line, handed to the window's thread. The message
// goes to a window of its own, so that it is handled wherever the thread's
// messages are dispatched, the plug-in's loop while it tracks the mouse
// included (a host automating during a drag, or closing the editor).
void readCommands(Host* h, HWND commandWindow)
{
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        {
            const std::lock_guard<std::mutex> hold(h->commandsLock);
            h->commands.push_back(line);
        }
        PostMessageW(commandWindow, kCommandMessage, 0, 0);
        if (line == "quit")
            return;
    }
}

} // namespace

int edit(const std::string& plugin, float scale)
{
    registerHostClass();
    LoadedPlugin fx(plugin, editHost);
    Host h;
    h.plugin = &fx;
    host = &h;
    h.commandWindow = CreateWindowExW(0, kHostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    if (scale > 0.f)
        fx.dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, scale);
    h.openEditor();
    std::thread reader(readCommands, &h, h.commandWindow);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Standard input may stay open after "quit"; the reader ends with it.
    reader.detach();
    DestroyWindow(h.commandWindow);
    h.closeEditor();
    if (h.window)
        DestroyWindow(h.window);
    host = nullptr;
    return 0;
}

int stress(const std::string& plugin, double seconds)
{
    registerHostClass();
    printRequests = false;
    LoadedPlugin fx(plugin, editHost);
    Host h;
    h.plugin = &fx;
    host = &h;
    AEffect* e = fx.record();
    fx.start(48000.f, 256);
    std::atomic<bool> running{true};
    std::atomic<long> blocks{0}, nonFinite{0}, changes{0}, opens{0};

    // The audio thread: blocks of 256 frames paced like a 48 kHz device.
    std::thread audio([&] {
        std::vector<float> input(256), scratch(256 * size_t(e->numOutputs));
        std::vector<float*> outs;
        for (int c = 0; c < e->numOutputs; ++c)
            outs.push_back(scratch.data() + 256 * c);
        float* in = input.data();
        for (long n = 0; running; ++n) {
            for (size_t i = 0; i < input.size(); ++i)
                input[i] = float((n * 256 + long(i)) % 97) / 48.f - 1.f;
            e->processReplacing(e, &in, outs.data(), 256);
            for (float v : scratch)
                if (!std::isfinite(v))
                    ++nonFinite;
            ++blocks;
            Sleep(2);
        }
    });
    // The automation thread: every parameter, its value read back and its
    // text, as a host's automation lanes and generic view do.
    std::thread automation([&] {
        for (unsigned n = 0; running; ++n) {
            const int index = int(n % unsigned(e->numParams));
            e->setParameter(e, index, float((n * 7919u) % 1000u) / 999.f);
            (void)e->getParameter(e, (index + 3) % e->numParams);
            (void)fx.text(effGetParamDisplay, index);
            ++changes;
            if (n % 16 == 0)
                Sleep(1);
        }
    });
    // The editor thread (this one): open, idle, close, again.
    const DWORD end = GetTickCount() + DWORD(seconds * 1000.0);
    while (int(end - GetTickCount()) > 0) {
        h.openEditor();
        ++opens;
        h.runFor(150);
        h.closeEditor();
    }
    running = false;
    audio.join();
    automation.join();
    say("stress blocks %ld non-finite %ld changes %ld opens %ld automations %ld\n", blocks.load(),
        nonFinite.load(), changes.load(), opens.load(), automations.load());
    if (h.window)
        DestroyWindow(h.window);
    host = nullptr;
    return nonFinite == 0 && blocks > 0 && opens > 0 ? 0 : 1;
}

} // namespace editorhost
