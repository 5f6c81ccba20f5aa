// The LV2 editor loaded as a host loads it (dlopen, lv2ui_descriptor,
// instantiate with the host's features) on an X server of the test's own,
// driven by xdotool: its size and hints, the display scale, a drag and a
// Ctrl-click written to the polar ports as the plug-in converts them,
// port events moving the handle, the window of its own without a parent,
// two editors at once, a host window destroyed first, and many opens.
#include <gtest/gtest.h> // before the X11 headers, whose macros clash with its names

#include "dsp/NelAmbisonicEncoder.h"
#include "effect/EncoderControl.h"
#include "effect/ParameterTable.h"
#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"
#include "tests/lv2/UiHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <dlfcn.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

namespace {

using namespace xsession;
using namespace EditorLayout;

constexpr const char* kFuMa = "urn:corvane:velmora-xy3-2d";
constexpr const char* kAmbiX = "urn:corvane:velmora-xy3-2d-ambix";
enum Port : uint32_t { kAzimuthPort, kElevationPort, kDistancePort, kCompensationPort, kPosX, kPosY, kPosZ };

const LV2UI_Descriptor* uiDescriptor()
{
    static void* object = dlopen(VELMORA_LV2_UI, RTLD_NOW | RTLD_LOCAL);
    if (object == nullptr)
        return nullptr;
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(object, "lv2ui_descriptor"));
    return entry ? entry(0) : nullptr;
}

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

class Lv2Ui : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/install-deps.sh installs them)";
        ASSERT_TRUE(server.start("1280x1024x24"));
        display = XOpenDisplay(nullptr);
        ASSERT_NE(nullptr, display);
        descriptor = uiDescriptor();
        ASSERT_NE(nullptr, descriptor);
        EXPECT_STREQ("urn:corvane:velmora-xy3-2d#ui", descriptor->URI);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
    }

    Window makeParent(int width = 400, int height = 300, int x = 0)
    {
        const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, unsigned(width),
                                             unsigned(height), 0, 0, 0);
        XMapWindow(display, w);
        XSync(display, False);
        return w;
    }

    // Idles the editors every 10 ms while `actions` runs on a thread of its
    // own (a drag's mouse loop runs inside an idle call).
    void idleWhile(std::vector<UiInstance*> uis, const std::function<void()>& actions)
    {
        std::atomic<bool> done{false};
        std::thread driver([&] {
            actions();
            pause(100);
            done = true;
        });
        while (!done) {
            for (UiInstance* ui : uis)
                ui->idle();
            pause(10);
        }
        driver.join();
        for (UiInstance* ui : uis)
            ui->idle();
    }
    void idleFor(UiInstance& ui, int ms)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            ui.idle();
            pause(10);
        }
    }

    std::pair<int, int> sizeOf(Window w)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, w, &a))
            return {0, 0};
        return {a.width, a.height};
    }

    // The window's pixels, 0xRRGGBB, through the host's connection.
    unsigned pixelAt(Window w, int x, int y)
    {
        XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0;
        const unsigned pixel = unsigned(XGetPixel(image, 0, 0)) & 0xffffffu;
        XDestroyImage(image);
        return pixel;
    }

    // The handle shows at its top-left corner plus the middle of its bitmap.
    bool handleAt(Window w, int left, int top)
    {
        return isHandle(pixelAt(w, kPadLeft + left + kHandleSize / 2, kPadTop + top + kHandleSize / 2));
    }

    Window topLevelNamed(const char* name)
    {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                char* title = nullptr;
                if (XFetchName(display, children[i], &title) && title) {
                    if (std::strcmp(title, name) == 0)
                        found = children[i];
                    XFree(title);
                }
            }
            XFree(children);
        }
        return found;
    }

    unsigned childrenOf(Window w)
    {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, w, &root, &parent, &children, &count);
        if (children)
            XFree(children);
        return count;
    }

    Xvfb server;
    Display* display = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
};

TEST_F(Lv2Ui, EmbedsAtTheEditorsSizeAndSaysSoInItsHintsAndToTheHost)
{
    const Window parent = makeParent();
    UiHost host(parent);
    UiInstance ui(descriptor, kFuMa, host);
    ASSERT_TRUE(ui.ok());
    ASSERT_NE(0u, ui.widget());
    XSync(display, False);
    Window root, widgetParent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, ui.widget(), &root, &widgetParent, &children, &count);
    EXPECT_EQ(parent, widgetParent);
    EXPECT_EQ(std::make_pair(330, 272), sizeOf(ui.widget()));
    XSizeHints hints;
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, ui.widget(), &hints, &supplied));
    EXPECT_EQ(PBaseSize | PMinSize | PMaxSize, hints.flags & (PBaseSize | PMinSize | PMaxSize));
    EXPECT_EQ(330, hints.base_width);
    EXPECT_EQ(330, hints.min_width);
    EXPECT_EQ(330, hints.max_width);
    EXPECT_EQ(272, hints.base_height);
    EXPECT_EQ(272, hints.min_height);
    EXPECT_EQ(272, hints.max_height);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{330, 272}}), host.resizes);
    ui.sendDefaults();
    idleFor(ui, 100);
    EXPECT_TRUE(handleAt(ui.widget(), 79, 0)) << "the source ahead at 4 m: top centre";
}

TEST_F(Lv2Ui, TheHostsScaleFactorTwoMakesItTwiceAsLarge)
{
    const Window parent = makeParent(800, 700);
    UiHost host(parent, 2.f);
    UiInstance ui(descriptor, kAmbiX, host);
    ASSERT_TRUE(ui.ok());
    XSync(display, False);
    EXPECT_EQ(std::make_pair(660, 544), sizeOf(ui.widget()));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{660, 544}}), host.resizes);
}

// The polar ports' values as the plug-in's own rules give them for the pad's
// y and then x, from a source at the centre.
std::vector<float> polarFor(float yNormalised, float xNormalised)
{
    NelAmbisonicEncoder encoder(Order3H0V);
    EncoderControl rules(encoder, OutputConvention::FuMa);
    for (int i = 0; i < ParameterTable::kCount; ++i)
        rules.setParameter(i, ParameterTable::info(i).initialValue);
    rules.setParameter(kDistance, 1.f); // 0 m: the centre
    rules.setParameter(kY, yNormalised);
    rules.setParameter(kX, xNormalised);
    std::vector<float> polar;
    for (int index : {::kAzimuth, ::kElevation, ::kDistance})
        polar.push_back(static_cast<float>(ParameterTable::userFromNormalised(index, rules.normalised(index))));
    return polar;
}

// The last value written to each port.
float lastWritten(const UiHost& host, uint32_t port, float otherwise = NAN)
{
    float value = otherwise;
    for (const PortWrite& w : host.writes)
        if (w.port == port)
            value = w.value;
    return value;
}

TEST_F(Lv2Ui, DragAndCtrlClickWriteThePolarPortsAsThePluginConvertsInsideTouch)
{
    const Window parent = makeParent();
    UiHost host(parent);
    UiInstance ui(descriptor, kFuMa, host);
    ASSERT_TRUE(ui.ok());
    ui.sendDefaults();
    ui.portEvent(kDistancePort, 0.f); // the source at the centre
    ui.portEvent(kPosX, 0.f);
    idleFor(ui, 100);
    ASSERT_TRUE(handleAt(ui.widget(), 79, 79));
    const std::string widget = std::to_string(ui.widget());

    // The centred handle's middle, 20 left and 32 up in four steps.
    idleWhile({&ui}, [&] { drag(widget, kPadLeft + 79 + 7, kPadTop + 79 + 7, -5, -8); });
    ASSERT_FALSE(host.writes.empty());
    const float padX = 58.5f / 158.f, padY = 46.5f / 158.f;
    const std::vector<float> expected = polarFor(1.f - padX, 1.f - padY);
    EXPECT_EQ(expected[0], lastWritten(host, kAzimuthPort));
    EXPECT_EQ(expected[2], lastWritten(host, kDistancePort));
    EXPECT_EQ(0.f, lastWritten(host, kElevationPort, 0.f));
    for (const PortWrite& w : host.writes)
        EXPECT_TRUE(w.port == kAzimuthPort || w.port == kDistancePort) << "port " << w.port;
    EXPECT_TRUE(handleAt(ui.widget(), 59, 47));

    // Every write inside one touch of the ports the pad moves.
    ASSERT_EQ(6u, host.touches.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(host.touches[size_t(i)].second);
        EXPECT_FALSE(host.touches[size_t(i + 3)].second);
    }
    EXPECT_EQ(kAzimuthPort, host.touches[0].first);
    EXPECT_EQ(kDistancePort, host.touches[2].first);

    // Ctrl-click on the pad: back to the centre.
    host.writes.clear();
    idleWhile({&ui}, [&] {
        moveTo(widget, kPadLeft + 150, kPadTop + 150);
        xdo({"keydown", "ctrl"});
        xdo({"click", "1"});
        xdo({"keyup", "ctrl"});
    });
    EXPECT_EQ(0.f, lastWritten(host, kDistancePort));
    EXPECT_EQ(0.f, lastWritten(host, kAzimuthPort));
    EXPECT_TRUE(handleAt(ui.widget(), 79, 79));
}

TEST_F(Lv2Ui, TheSwitchWritesTheCompensationAndCtrlClickTurnsItOff)
{
    const Window parent = makeParent();
    UiHost host(parent, 0.f, false); // a host without touch
    UiInstance ui(descriptor, kFuMa, host);
    ASSERT_TRUE(ui.ok());
    ui.sendDefaults();
    idleFor(ui, 100);
    const std::string widget = std::to_string(ui.widget());
    // The switch's bottom: 0.5 m.
    idleWhile({&ui}, [&] { drag(widget, kSwitchLeft + 12, kSwitchTop + 10, 0, 40); });
    const float compensation = lastWritten(host, kCompensationPort);
    EXPECT_GE(compensation, 0.5f);
    EXPECT_LT(compensation, 4.f);
    idleWhile({&ui}, [&] {
        moveTo(widget, kSwitchLeft + 12, kSwitchTop + 50);
        xdo({"keydown", "ctrl"});
        xdo({"click", "1"});
        xdo({"keyup", "ctrl"});
    });
    EXPECT_EQ(4.f, lastWritten(host, kCompensationPort));
    EXPECT_TRUE(host.touches.empty());
}

TEST_F(Lv2Ui, PortEventsOnInputsAndOutputsMoveTheHandle)
{
    const Window parent = makeParent();
    UiHost host(parent);
    UiInstance ui(descriptor, kFuMa, host);
    ASSERT_TRUE(ui.ok());
    ui.sendDefaults();
    // Automation or a preset: 90 degrees (left), 2 m.
    ui.portEvent(kAzimuthPort, 90.f);
    ui.portEvent(kDistancePort, 2.f);
    idleFor(ui, 100);
    EXPECT_TRUE(handleAt(ui.widget(), 40, 79));
    EXPECT_FALSE(handleAt(ui.widget(), 79, 0));
    // Where the plug-in says the source is: 3 m ahead, 1 m right.
    ui.portEvent(kPosX, 3.f);
    ui.portEvent(kPosY, -1.f);
    idleFor(ui, 100);
    EXPECT_TRUE(handleAt(ui.widget(), 99, 20));
    EXPECT_TRUE(host.writes.empty()) << "showing a value never writes it back";
}

TEST_F(Lv2Ui, WithoutAParentItShowsAWindowOfItsOwnUntilTheUserClosesIt)
{
    UiHost host(0); // ui:parent offered with null data, as jalv's console does
    UiInstance ui(descriptor, kAmbiX, host);
    ASSERT_TRUE(ui.ok());
    EXPECT_EQ(0u, ui.widget());
    const char* title = "Corvane Velmora XY 3 - 2d AmbiX";
    EXPECT_EQ(0u, topLevelNamed(title));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(0, ui.show());
        XSync(display, False);
        const Window own = topLevelNamed(title);
        ASSERT_NE(0u, own);
        EXPECT_EQ(std::make_pair(330, 272), sizeOf(own));
        idleFor(ui, 50);
        EXPECT_EQ(0, ui.idle());

        // The close button of its title bar.
        XEvent close = {};
        close.xclient.type = ClientMessage;
        close.xclient.window = own;
        close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        close.xclient.format = 32;
        close.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, own, False, NoEventMask, &close);
        XSync(display, False);
        int answer = 0;
        for (int i = 0; i < 50 && answer == 0; ++i, pause(10))
            answer = ui.idle();
        EXPECT_EQ(1, answer);
        EXPECT_EQ(0, ui.hide());
        XSync(display, False);
        EXPECT_EQ(0u, topLevelNamed(title));
    }
}

TEST_F(Lv2Ui, TwoEditorsAtOnceKeepToThemselves)
{
    const Window left = makeParent(330, 272, 0);
    const Window right = makeParent(330, 272, 400);
    UiHost hostA(left), hostB(right);
    UiInstance a(descriptor, kFuMa, hostA);
    UiInstance b(descriptor, kAmbiX, hostB);
    ASSERT_TRUE(a.ok() && b.ok());
    a.sendDefaults();
    b.sendDefaults();
    b.portEvent(kDistancePort, 0.f);
    b.portEvent(kPosX, 0.f);
    idleWhile({&a, &b}, [] { pause(100); });
    EXPECT_TRUE(handleAt(a.widget(), 79, 0));
    EXPECT_TRUE(handleAt(b.widget(), 79, 79));
    idleWhile({&a, &b}, [&] { drag(std::to_string(b.widget()), kPadLeft + 79 + 7, kPadTop + 79 + 7, -5, -8); });
    EXPECT_FALSE(hostB.writes.empty());
    EXPECT_TRUE(hostA.writes.empty());
    EXPECT_TRUE(handleAt(a.widget(), 79, 0));
}

TEST_F(Lv2Ui, SurvivesAHostThatDestroysItsWindowFirst)
{
    const Window parent = makeParent();
    UiHost host(parent);
    auto ui = std::make_unique<UiInstance>(descriptor, kFuMa, host);
    ASSERT_TRUE(ui->ok());
    ui->sendDefaults();
    idleFor(*ui, 50);
    XDestroyWindow(display, parent);
    XSync(display, False);
    idleFor(*ui, 50);
    ui->portEvent(kAzimuthPort, 45.f);
    idleFor(*ui, 20);
    ui.reset();
    SUCCEED();
}

TEST_F(Lv2Ui, OpensAndClosesAHundredTimesWithoutKeepingAnything)
{
    const Window parent = makeParent();
    UiHost host(parent);
    {
        UiInstance warmUp(descriptor, kFuMa, host); // loads the fonts once
        warmUp.sendDefaults();
        idleFor(warmUp, 30);
    }
    const int descriptors = openDescriptors();
    for (int i = 0; i < 100; ++i) {
        UiInstance ui(descriptor, i % 2 ? kAmbiX : kFuMa, host);
        ASSERT_TRUE(ui.ok());
        ui.sendDefaults();
        ui.portEvent(kAzimuthPort, float(i));
        ui.idle();
        ui.idle();
    }
    XSync(display, False);
    EXPECT_EQ(descriptors, openDescriptors()) << "every X connection closed";
    EXPECT_EQ(0u, childrenOf(parent)) << "every window gone";
    EXPECT_EQ(100u, host.resizes.size() - 1);
}

#ifdef VELMORA_LV2_UI_PROBE
TEST_F(Lv2Ui, KeepsNoMemoryAcrossOpensUnderValgrind)
{
    if (!onPath("valgrind"))
        GTEST_SKIP() << "valgrind is needed (scripts/install-deps.sh installs it)";
    const std::string command = "timeout 300 valgrind -q --error-exitcode=9 --leak-check=full "
                                "--errors-for-leak-kinds=definite --keep-debuginfo=yes --suppressions=" VELMORA_VALGRIND_SUPPRESSIONS
                                " " VELMORA_LV2_UI_PROBE " " VELMORA_LV2_UI " " VELMORA_LV2_BUNDLE;
    EXPECT_EQ(0, std::system(command.c_str()));
}
#endif

} // namespace
