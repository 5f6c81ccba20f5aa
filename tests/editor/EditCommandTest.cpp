// The plug-in's editor end to end: the built shared object in `velmora
// edit` under Xvfb, the mouse driven by xdotool, the host requests read from
// what velmora prints.

#include "resources/EditorLayout.h"
#include "tests/editor/XSession.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

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
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(velmora.start({VELMORA_HOST_PROGRAM, "edit", "--plugin", VELMORA_PLUGIN_PATH}));
        std::string line;
        ASSERT_TRUE(velmora.output.waitFor("ready window ", line));
        std::istringstream(line.substr(13)) >> window;
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

    Xvfb server;
    Child velmora;
    std::string window;
};

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
    auto got = requests();
    const auto begin = std::find(got.begin(), got.end(), "begin 2");
    ASSERT_NE(begin, got.end());
    std::vector<std::string> gesture, coupled;
    for (auto r = begin; r != got.end(); ++r) {
        const bool xOrY = r->rfind("automate 2 ", 0) == 0 || r->rfind("automate 3 ", 0) == 0;
        (xOrY || r->rfind("automate", 0) != 0 ? gesture : coupled).push_back(*r);
        if (*r == "end 2")
            break;
    }
    ASSERT_GE(gesture.size(), 4u);
    EXPECT_EQ(gesture.back(), "end 2");
    for (size_t i = 1; i + 1 < gesture.size(); i += 2) {
        EXPECT_EQ(gesture[i].rfind("automate 3 ", 0), 0u) << i;
        EXPECT_EQ(gesture[i + 1].rfind("automate 2 ", 0), 0u) << i;
    }
    const auto heard = [&](const char* prefix) {
        return std::any_of(coupled.begin(), coupled.end(), [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
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
        return std::any_of(got.begin(), got.end(), [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
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

} // namespace
