// The plug-in's editor end to end: the built shared object in `velmora
// edit` under Xvfb, the mouse driven by xdotool, the host requests read from
// what velmora prints.

#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"
#include "toolkit/CRect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

// The pad's gesture among what the host heard: from "begin 2" to "end 2",
// its begin, end and x and y automation; the effect's reports of the other
// parameters in between go to `coupled`.
std::vector<std::string> padGesture(const std::vector<std::string>& heard,
                                    std::vector<std::string>* coupled = nullptr)
{
    std::vector<std::string> gesture;
    auto r = std::find(heard.begin(), heard.end(), "begin 2");
    for (; r != heard.end(); ++r) {
        const bool xOrY = r->rfind("automate 2 ", 0) == 0 || r->rfind("automate 3 ", 0) == 0;
        if (xOrY || r->rfind("automate", 0) != 0)
            gesture.push_back(*r);
        else if (coupled)
            coupled->push_back(*r);
        if (*r == "end 2")
            break;
    }
    return gesture;
}

using namespace xsession;
using namespace EditorLayout;

const std::string kOutputDir = VELMORA_TEST_OUTPUT_DIR;

std::string sent(int index, float value)
{
    char line[64];
    std::snprintf(line, sizeof line, "automate %d %.6f", index, double(value));
    return line;
}

struct EditSession : ::testing::Test {
    void SetUp() override
    {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(server.start(screen));
        std::vector<std::string> args = {VELMORA_HOST_PROGRAM, "edit", "--plugin", VELMORA_PLUGIN_PATH};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_TRUE(velmora.start(args));
        ASSERT_TRUE(velmora.output.waitFor("ready window ", ready));
        std::istringstream(ready.substr(13)) >> window;
    }
    void TearDown() override
    {
        if (!window.empty()) {
            velmora.send("quit");
            EXPECT_EQ(velmora.wait(), 0);
        }
    }

    // Sends a command and returns the first line that answers it.
    std::string ask(const std::string& command, const std::string& answer)
    {
        velmora.send(command);
        std::string line;
        EXPECT_TRUE(velmora.output.waitFor(answer, line)) << command;
        return line;
    }
    // The parameter's text, the last word of "value INDEX VALUE TEXT".
    std::string text(int index)
    {
        const std::string line = ask("get " + std::to_string(index), "value " + std::to_string(index));
        return line.substr(line.rfind(' ') + 1);
    }
    void shot(const std::string& name)
    {
        EXPECT_EQ(ask("shot " + kOutputDir + "/" + name, "shot "), "shot ok");
    }
    // Sets x and y (normalised) and gives the editor a few idle passes.
    void place(float x, float y)
    {
        velmora.send("set 2 " + std::to_string(x));
        velmora.send("set 3 " + std::to_string(y));
        ask("get 3", "value 3");
        pause(100);
    }
    void click(long x, long y, bool ctrl = false)
    {
        ASSERT_TRUE(moveTo(window, x, y));
        pause(50);
        ASSERT_TRUE(!ctrl || xdo({"keydown", "ctrl"}));
        ASSERT_TRUE(xdo({"click", "1"}));
        ASSERT_TRUE(!ctrl || xdo({"keyup", "ctrl"}));
    }
    std::vector<std::string> requests() const
    {
        std::vector<std::string> out;
        for (const auto& l : velmora.output.lines)
            if (l.rfind("automate", 0) == 0 || l.rfind("begin", 0) == 0 || l.rfind("end", 0) == 0)
                out.push_back(l);
        return out;
    }

    std::string screen = "640x480x24";
    std::vector<std::string> options; // for velmora edit
    Xvfb server;
    Child velmora;
    std::string ready; // "ready window ID size W H"
    std::string window;
};

// Room for the editor at every factor, and a picture of it.
struct LargeScreenSession : EditSession {
    LargeScreenSession() { screen = "1280x1024x24"; }
};

struct SessionAtFactorTwo : LargeScreenSession {
    SessionAtFactorTwo() { options = {"--scale", "2"}; }
};

// The value of an "automate INDEX VALUE" line.
float automated(const std::string& line)
{
    return std::stof(line.substr(line.rfind(' ') + 1));
}

TEST_F(EditSession, DragSendsYThenXPerStepInsideOneGesture)
{
    place(0.5f, 0.5f);
    shot("editor-before-drag.png");
    // The centred handle's top-left is 79 pixels into the pad; grab its middle.
    const long gx = kPadLeft + 79 + 7, gy = kPadTop + 79 + 7;
    ASSERT_TRUE(drag(window, gx, gy, -5, -8));
    std::string line;
    ASSERT_TRUE(velmora.output.waitFor("end 2", line));
    shot("editor-after-drag.png");

    // The gesture: one begin, per step y (3) then x (2), one end. Between
    // them the host also hears the azimuth (0) and distance (5) that the
    // effect derives from x and y.
    std::vector<std::string> coupled;
    const auto gesture = padGesture(requests(), &coupled);
    ASSERT_GE(gesture.size(), 4u);
    EXPECT_EQ(gesture.back(), "end 2");
    for (size_t i = 1; i + 1 < gesture.size(); i += 2) {
        EXPECT_EQ(gesture[i].rfind("automate 3 ", 0), 0u) << i;
        EXPECT_EQ(gesture[i + 1].rfind("automate 2 ", 0), 0u) << i;
    }
    const auto heard = [&](const char* prefix) {
        return std::any_of(coupled.begin(), coupled.end(),
                           [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(heard("automate 0 ") && heard("automate 5 "));
    // The handle went 20 left and 32 up (from the grab's half pixel): left is
    // the largest y, up the largest x.
    const float padX = 58.5f / 158.f, padY = 46.5f / 158.f;
    EXPECT_EQ(gesture[gesture.size() - 3], sent(3, 1.f - padX));
    EXPECT_EQ(gesture[gesture.size() - 2], sent(2, 1.f - padY));

    Png after(kOutputDir + "/editor-after-drag.png");
    ASSERT_TRUE(after.ok());
    EXPECT_TRUE(isHandle(after.at(kPadLeft + 59 + 7, kPadTop + 47 + 7)));
    EXPECT_FALSE(isHandle(after.at(gx, gy)));

    // Ctrl-click anywhere on the pad: back to the centre, x = y = 0.
    click(kPadLeft + 150, kPadTop + 150, true);
    ASSERT_TRUE(velmora.output.waitFor("automate 2 ", line));
    EXPECT_EQ(line, "automate 2 0.500000");
    EXPECT_EQ(text(2), "0.00");
    EXPECT_EQ(text(3), "0.00");

    // While it held the mouse the editor let the host idle (request 3).
    velmora.send("quit");
    ASSERT_TRUE(velmora.output.waitFor("idle requests ", line));
    EXPECT_GT(std::stol(line.substr(14)), 10);
    EXPECT_EQ(velmora.wait(), 0);
    window.clear();
}

TEST_F(EditSession, SwitchBottomIsHalfAMetreAndTopIsOff)
{
    click(kSwitchLeft + 12, kSwitchBottom - 1);
    std::string line;
    ASSERT_TRUE(velmora.output.waitFor("automate 6 ", line));
    EXPECT_EQ(text(6), "0.50");
    click(kSwitchLeft + 12, kSwitchTop);
    ASSERT_TRUE(velmora.output.waitFor("automate 6 ", line));
    EXPECT_EQ(text(6), "off");
    const std::vector<std::string> expected = {"begin 6", "automate 6 0.000000", "end 6",
                                               "begin 6", "automate 6 1.000000", "end 6"};
    EXPECT_EQ(requests(), expected);
}

TEST_F(EditSession, HostAzimuthChangeMovesHandleAndTexts)
{
    place(1.f, 0.5f); // 4 m to the front: the handle at the top
    shot("editor-front.png");
    // A quarter turn to the left keeps the mean of the pad's values; the
    // handle must move all the same.
    velmora.send("set 0 0.25");
    ask("get 0", "value 0");
    pause(100);
    shot("editor-left.png");
    Png front(kOutputDir + "/editor-front.png"), left(kOutputDir + "/editor-left.png");
    ASSERT_TRUE(front.ok() && left.ok());
    const long midX = kPadLeft + 79 + 7, midY = kPadTop + 79 + 7;
    EXPECT_TRUE(isHandle(front.at(midX, kPadTop + 7)));
    EXPECT_FALSE(isHandle(left.at(midX, kPadTop + 7)));
    EXPECT_TRUE(isHandle(left.at(kPadLeft + 7, midY)));
    // Both coordinate texts were drawn anew ("4.00" and "0.00" swapped).
    int changed = 0;
    for (long y = 75; y < 130; ++y)
        for (long x = 262; x < 288; ++x)
            changed += front.at(x, y) != left.at(x, y);
    EXPECT_GT(changed, 20);
    // The host hears that x and y moved with the azimuth it set, but not
    // the azimuth itself, and no gesture: the editor sends nothing back.
    const auto got = requests();
    const auto has = [&](const std::string& prefix) {
        return std::any_of(got.begin(), got.end(),
                           [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(has("automate 2 ") && has("automate 3 "));
    EXPECT_FALSE(has("automate 0 ") || has("begin") || has("end"));
}

// Two instances, each editor opened, closed, reopened, its window
// destroyed under it, the effect closed with the window open: no crash,
// no memory error, nothing of ours leaked.
TEST(EditorLifecycle, TwoInstancesThroughEveryHostSequence)
{
    if (!onPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed";
    Xvfb server;
    ASSERT_TRUE(server.start());
    const std::string valgrind = "timeout 120 valgrind -q --error-exitcode=9 --leak-check=full "
                                 "--errors-for-leak-kinds=definite --keep-debuginfo=yes "
                                 "--suppressions=" VELMORA_VALGRIND_SUPPRESSIONS " ";
    const std::string probe = VELMORA_LIFECYCLE_PROBE " " VELMORA_PLUGIN_PATH;
    EXPECT_EQ(std::system(((onPath("valgrind") ? valgrind : "") + probe).c_str()), 0);
}

// The same gestures as at factor 1, in the pixels of a window twice the
// size: the values agree within one pixel's worth of the larger pad.
TEST_F(SessionAtFactorTwo, MouseWorksInTheScaledPixels)
{
    EXPECT_NE(ready.find(" size 660 544"), std::string::npos) << ready;
    place(0.5f, 0.5f);
    // The centred 30-pixel handle's top-left is 158 pixels into the pad.
    const long padLeft = 2 * kPadLeft, padTop = 2 * kPadTop;
    ASSERT_TRUE(drag(window, padLeft + 158 + 15, padTop + 158 + 15, -10, -16));
    std::string line;
    ASSERT_TRUE(velmora.output.waitFor("end 2", line));
    const auto got = padGesture(requests());
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got.front(), "begin 2");
    // At factor 1 the same drag ends at 58.5 and 46.5 of 158 pixels.
    const float onePixel = 1.001f / 316.f;
    EXPECT_NEAR(automated(got[got.size() - 3]), 1.f - 58.5f / 158.f, onePixel);
    EXPECT_NEAR(automated(got[got.size() - 2]), 1.f - 46.5f / 158.f, onePixel);

    click(padLeft + 300, padTop + 300, true);
    ASSERT_TRUE(velmora.output.waitFor("automate 2 ", line));
    EXPECT_EQ(line, "automate 2 0.500000");

    const long switchX = 2 * kSwitchLeft + 24;
    click(switchX, 2 * kSwitchBottom - 1);
    ASSERT_TRUE(velmora.output.waitFor("automate 6 ", line));
    EXPECT_EQ(text(6), "0.50");
    click(switchX, 2 * kSwitchTop);
    ASSERT_TRUE(velmora.output.waitFor("automate 6 ", line));
    EXPECT_EQ(text(6), "off");
}

// A host that asks for another factor while the window is open, and lets
// the plug-in resize it, gets the window rebuilt at the new size at once.
TEST_F(LargeScreenSession, ScaleRequestResizesTheOpenWindow)
{
    place(0.5f, 0.5f);
    velmora.send("scale 2");
    std::string line;
    ASSERT_TRUE(velmora.output.waitFor("resized ", line));
    EXPECT_EQ(line, "resized 660 544");
    ASSERT_TRUE(velmora.output.waitFor("scale ", line));
    EXPECT_EQ(line, "scale taken");
    pause(150);
    shot("editor-resized.png");
    Png png(kOutputDir + "/editor-resized.png");
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(png.width(), 660);
    EXPECT_TRUE(isHandle(png.at(2 * kPadLeft + 173, 2 * kPadTop + 173)));
    EXPECT_EQ(ask("scale many", "scale "), "scale refused");
}

// ---- screenshots at factors 1 and 2 ----------------------------------------

// The largest difference between two pixels' channels.
int step(unsigned a, unsigned b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
    return most;
}

// The factor-1 picture enlarged to twice its size with the given filter.
cairo_surface_t* enlarged(const Png& one, cairo_filter_t filter)
{
    cairo_surface_t* out =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(2 * one.width()), int(2 * one.height()));
    cairo_t* cr = cairo_create(out);
    cairo_scale(cr, 2, 2);
    cairo_set_source_surface(cr, one.s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), filter);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(out);
    return out;
}

// Of the clean edges of the factor-1 picture in the area (flat on both
// sides, a step of at least 64 in some channel, across rows and columns),
// the share that the factor-2 picture shows as a step at least three
// quarters as large at the same place: 1 for a crisp drawing, about 0 for
// a smooth enlargement. Letters are left out of the area: their shapes are
// fitted to the pixel grid anew at each size.
double sharpEdgeShare(const Png& one, const Png& two, const CRect& area)
{
    long edges = 0, kept = 0;
    auto check = [&](unsigned a0, unsigned a1, unsigned b1, unsigned b0, unsigned twoA, unsigned twoB) {
        const int s = step(a1, b1);
        if (s < 64 || a0 != a1 || b0 != b1)
            return;
        ++edges;
        kept += 4 * step(twoA, twoB) >= 3 * s;
    };
    for (long y = area.top; y < area.bottom; ++y)
        for (long x = area.left; x < area.right; ++x)
            check(one.at(x - 1, y), one.at(x, y), one.at(x + 1, y), one.at(x + 2, y),
                  two.at(2 * x + 1, 2 * y), two.at(2 * x + 2, 2 * y));
    for (long y = area.top; y < area.bottom; ++y)
        for (long x = area.left; x < area.right; ++x)
            check(one.at(x, y - 1), one.at(x, y), one.at(x, y + 1), one.at(x, y + 2),
                  two.at(2 * x, 2 * y + 1), two.at(2 * x, 2 * y + 2));
    return edges ? double(kept) / double(edges) : 0.0;
}

// The share of aligned 2 x 2 blocks whose pixels are not all alike: 0 for
// a pixel-doubled copy.
double detailedBlockShare(const Png& two)
{
    long blocks = 0, detailed = 0;
    for (long y = 0; y + 1 < two.height(); y += 2)
        for (long x = 0; x + 1 < two.width(); x += 2) {
            const unsigned p = two.at(x, y);
            ++blocks;
            detailed += two.at(x + 1, y) != p || two.at(x, y + 1) != p || two.at(x + 1, y + 1) != p;
        }
    return double(detailed) / double(blocks);
}

// The share of pixels within 48 of the other picture's in every channel.
double likeness(const Png& a, const Png& b)
{
    long alike = 0;
    for (long y = 0; y < a.height(); ++y)
        for (long x = 0; x < a.width(); ++x)
            alike += step(a.at(x, y), b.at(x, y)) <= 48;
    return double(alike) / double(a.width() * a.height());
}

bool samePixels(const Png& a, const Png& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (long y = 0; y < a.height(); ++y)
        for (long x = 0; x < a.width(); ++x)
            if (a.at(x, y) != b.at(x, y))
                return false;
    return true;
}

// The README's pictures were made with DejaVu Sans, the face a fresh
// Debian machine has for "Sans"; letters in any other face differ.
bool fontsAsForTheReadme()
{
    if (!onPath("fc-match"))
        return true;
    FILE* p = ::popen("fc-match -f '%{file}' Sans", "r");
    char file[512] = {};
    const bool read = p && std::fgets(file, sizeof file, p);
    if (p)
        ::pclose(p);
    return read && std::string(file).find("DejaVuSans.ttf") != std::string::npos;
}

TEST(EditorScreenshots, FactorOneAsBeforeFactorTwoDrawnNotStretched)
{
    if (!onPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed";
    const std::string script = std::string(VELMORA_SOURCE_DIR) + "/scripts/editor-screenshot.sh ";
    const std::string out = kOutputDir + "/screenshot-factor-";
    for (const char* factor : {"1", "2"})
        ASSERT_EQ(
            std::system(
                (script + VELMORA_BUILD_DIR " " + out + factor + ".png " + factor + " >/dev/null").c_str()),
            0);
    Png one(out + "1.png"), two(out + "2.png");
    ASSERT_TRUE(one.ok() && two.ok());
    ASSERT_EQ(one.width(), kWindowWidth);
    ASSERT_EQ(two.width(), 2 * kWindowWidth);
    ASSERT_EQ(two.height(), 2 * kWindowHeight);

    // The same picture, drawn anew: crisp where the factor-1 picture has
    // edges, with detail a doubled copy lacks.
    Png doubled(enlarged(one, CAIRO_FILTER_NEAREST)), smoothed(enlarged(one, CAIRO_FILTER_BILINEAR));
    // The switch with its frame, and the rule under the title.
    const CRect switchArea(kSwitchLeft - 3, kSwitchTop - 3, kSwitchRight + 3, kSwitchBottom + 3);
    const CRect ruleArea(8, 52, kWindowWidth - 8, 60);
    EXPECT_GT(likeness(two, doubled), 0.9);
    for (const CRect& area : {switchArea, ruleArea}) {
        EXPECT_GT(sharpEdgeShare(one, two, area), 0.9);
        EXPECT_LT(sharpEdgeShare(one, smoothed, area), 0.1); // the measure sees a smooth enlargement
    }
    EXPECT_GT(detailedBlockShare(two), 0.02);
    EXPECT_EQ(detailedBlockShare(doubled), 0.0); // and a doubled one

    if (!fontsAsForTheReadme())
        GTEST_SKIP() << "\"Sans\" is not DejaVu Sans here: the README's pictures cannot match";
    const std::string docs = std::string(VELMORA_SOURCE_DIR) + "/docs/";
    EXPECT_TRUE(samePixels(one, Png(docs + "editor.png"))) << "factor 1 changed the editor's look";
    EXPECT_TRUE(samePixels(two, Png(docs + "editor@2x.png")));
}

} // namespace
