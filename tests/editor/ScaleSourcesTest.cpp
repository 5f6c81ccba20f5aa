// Where the editor's display scale comes from: the sources in their order,
// each alone, bad values passed over and usable ones clamped to 1..3; then
// the same through this process's environment and a real X server's
// Xft.dpi resource.

#include "tests/editor/XSession.h"
#include "toolkit/UiScale.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>

namespace {

std::string serverDpi;
int dpiQuestions = 0;

std::string askServer()
{
    ++dpiQuestions;
    return serverDpi;
}

struct Row {
    float host;
    const char* environment;
    const char* dpi;
    const char* gdk;
    double expected;
};

TEST(ScaleSources, FirstUsableSourceWinsEachAloneAndInOrder)
{
    const float nan = std::nanf("");
    const Row rows[] = {
        {0, "", "", "", 1.0}, // nothing said
        // Each source alone, in range, beyond it, and bad.
        {2.f, "", "", "", 2.0},
        {5.f, "", "", "", 3.0},
        {0.5f, "", "", "", 1.0},
        {nan, "", "", "", 1.0},
        {0, "1.5", "", "", 1.5},
        {0, "9", "", "", 3.0},
        {0, "", "192", "", 2.0},
        {0, "", "144", "", 1.5},
        {0, "", "48", "", 1.0},
        {0, "", "", "2", 2.0},
        {0, "", "", "7", 3.0},
        // A bad value is passed over, an out-of-range one is not.
        {nan, "2", "", "", 2.0},
        {-2.f, "2", "", "", 2.0},
        {5.f, "2", "", "", 3.0},
        {0, "abc", "", "2", 2.0},
        {0, "2x", "", "2.5", 2.5},
        {0, "0", "", "2", 2.0},
        {0, "0.5", "", "2", 1.0},
        {0, "", "many", "3", 3.0},
        {0, "", "", "-1", 1.0},
        // All at once: the order decides.
        {1.25f, "2", "288", "3", 1.25},
        {0, "2", "288", "3", 2.0},
        {0, "", "144", "3", 1.5},
    };
    for (const Row& row : rows) {
        serverDpi = row.dpi;
        UiScale::Sources sources;
        sources.hostRequest = row.host;
        sources.environment = row.environment;
        sources.xftDpi = askServer;
        sources.gdkScale = row.gdk;
        EXPECT_DOUBLE_EQ(UiScale::choose(sources), row.expected)
            << row.host << " '" << row.environment << "' '" << row.dpi << "' '" << row.gdk << "'";
    }
    // The server is asked only when neither the host nor the environment
    // answered: no connection for nothing.
    dpiQuestions = 0;
    UiScale::Sources answered;
    answered.environment = "2";
    answered.xftDpi = askServer;
    UiScale::choose(answered);
    EXPECT_EQ(dpiQuestions, 0);
}

TEST(ScaleSources, HostRequestIsPreSWithAeCs)
{
    EXPECT_TRUE(UiScale::isHostRequest(0x50726553, 0x41654373));
    EXPECT_FALSE(UiScale::isHostRequest(0x41654373, 0x50726553));
    EXPECT_FALSE(UiScale::isHostRequest(0x50726553, 0));
}

void setServerResources(Display* display, const std::string& text)
{
    const Window root = DefaultRootWindow(display);
    if (text.empty())
        XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
    else
        XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    XSync(display, False);
}

// The sources as this process sees them: variables and the X server's
// resources (as xrdb leaves them on the root window).
TEST(ScaleSources, EnvironmentAndServerOfThisProcess)
{
    if (!xsession::onPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed";
    xsession::Xvfb server;
    ASSERT_TRUE(server.start());
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);

    EXPECT_EQ(UiScale::readXftDpi(), "");
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 1.0);
    setServerResources(display, "Xcursor.size:\t24\nXft.dpi:\t192\n");
    EXPECT_EQ(UiScale::readXftDpi(), "192");
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 2.0);
    ::setenv("GDK_SCALE", "3", 1);
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 2.0); // Xft.dpi comes first
    ::setenv("VELMORA_UI_SCALE", "large", 1);
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 2.0); // a bad value is passed over
    ::setenv("VELMORA_UI_SCALE", "1.5", 1);
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 1.5);
    EXPECT_DOUBLE_EQ(UiScale::current(2.5f), 2.5);
    ::unsetenv("VELMORA_UI_SCALE");
    setServerResources(display, "");
    EXPECT_DOUBLE_EQ(UiScale::current(0.f), 3.0);
    ::unsetenv("GDK_SCALE");
    XCloseDisplay(display);
}

} // namespace
