#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/CButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CVerticalSwitch.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const CRect kSwitchRect(50, 77, 74, 173);

struct SwitchFixture : ::testing::Test {
    SwitchFixture() : frame(CRect(0, 0, 120, 200), nullptr, &editor)
    {
        editor.frame = &frame;
        CBitmap* strip = solidBitmap(24, 96 * 79, 0x202020);
        sw = new CVerticalSwitch(kSwitchRect, &listener, 6, 79, 96, 79, strip, CPoint(0, 0));
        strip->forget();
        frame.addView(sw);
    }
    void drag(const std::vector<MouseSample>& script) { replayMouse(sw, &frame, script); }

    RecordingEditor editor;
    RecordingListener listener;
    CFrame frame;
    CVerticalSwitch* sw;
};

TEST_F(SwitchFixture, SeventyNinePositionsOverNinetySixPixels)
{
    for (int dy = 0; dy < 96; ++dy) {
        const long k = dy * 79 / 96;
        EXPECT_FLOAT_EQ(sw->valueAt(kSwitchRect.top + dy), float(k) / 78.f) << "dy " << dy;
    }
    // Outside the switch the value is clamped.
    EXPECT_EQ(sw->valueAt(kSwitchRect.top - 30), 0.f);
    EXPECT_EQ(sw->valueAt(kSwitchRect.bottom + 30), 1.f);
}

TEST_F(SwitchFixture, HostValuesShowTheNearestPosition)
{
    sw->setValue(0.5f / 78.f + 0.0001f);
    EXPECT_EQ(sw->currentSubImage(), 1);
    sw->setValue(0.5f / 78.f - 0.0001f);
    EXPECT_EQ(sw->currentSubImage(), 0);
    for (int k = 0; k < 79; ++k) {
        sw->setValue(float(k) / 78.f);
        EXPECT_EQ(sw->currentSubImage(), k);
    }
}

TEST_F(SwitchFixture, DragFollowsTheMouseAndEndsOnRelease)
{
    sw->setValue(0.5f);
    sw->setDirty(false);
    // Down at the bottom, up to the top, then the button goes up while
    // Shift is still held: the gesture is over all the same.
    drag({{CPoint(60, 172), kLButton},
          {CPoint(60, 77), kLButton},
          {CPoint(60, 77), kShift},
          {CPoint(60, 120), kShift}});
    EXPECT_EQ(sw->getValue(), 0.f);
    const std::vector<std::string> expected = {"begin 6", "changed 1.000000", "changed 0.000000", "end 6"};
    EXPECT_EQ(listener.log, expected);
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 6", "end 6"}));
}

TEST_F(SwitchFixture, CommandClickResetsToTheTopAsOneGesture)
{
    sw->setValue(1.f);
    sw->setDirty(false);
    drag({{CPoint(60, 150), kLButton | kControl}});
    EXPECT_EQ(sw->getValue(), 0.f);
    const std::vector<std::string> expected = {"modifier 34", "begin 6", "changed 0.000000", "end 6"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(SwitchFixture, IgnoresOtherButtonsAndDisabledMouse)
{
    drag({{CPoint(60, 150), kRButton}});
    sw->setMouseEnabled(false);
    drag({{CPoint(60, 150), kLButton}});
    EXPECT_TRUE(listener.log.empty());
    EXPECT_TRUE(editor.edits.empty());
}

// The converter finds its record through the user data it is given.
struct Conversion {
    float value = -1;
    int calls = 0;
};

void convertWithUserData(float value, char* text, void* userData)
{
    auto* seen = static_cast<Conversion*>(userData);
    seen->value = value;
    ++seen->calls;
    std::strcpy(text, "off");
}

TEST(ParamDisplay, ConverterGetsValueAndUserData)
{
    CParamDisplay display(CRect(0, 0, 40, 20));
    Conversion seen;
    display.setStringConvert(convertWithUserData, &seen);
    display.setValue(0.25f);
    char text[CParamDisplay::kParamDisplayTextSize];
    display.getText(text);
    EXPECT_STREQ(text, "off");
    EXPECT_EQ(seen.value, 0.25f);
    EXPECT_EQ(seen.calls, 1);
}

TEST(ParamDisplay, TransparentTextLeavesWhatIsBeneath)
{
    CFrame frame(CRect(0, 0, 100, 40), nullptr, nullptr);
    CBitmap* bg = solidBitmap(100, 40, 0x0000ff);
    frame.setBackground(bg);
    bg->forget();
    auto* display = new CParamDisplay(CRect(10, 10, 90, 30));
    display->setFontColor(MakeCColor(255, 255, 0));
    display->setTransparency(true);
    Conversion seen;
    display->setStringConvert(convertWithUserData, &seen);
    frame.addView(display);
    frame.redrawChanged();
    const CRect r = display->getViewSize();
    auto yellow = [](unsigned rgb) { return (rgb >> 16) > 200 && ((rgb >> 8) & 255) > 200; };
    EXPECT_GT(countPixels(frame.getBackBuffer(), r, yellow), 5); // the glyphs
    auto blue = [](unsigned rgb) { return rgb == 0x0000ff; };
    EXPECT_GT(countPixels(frame.getBackBuffer(), r, blue), 1000); // the background around them
}

// The frame's font scale makes the letters that much larger: text in a
// window drawn at display scale 2 covers about four times the pixels.
TEST(ParamDisplay, FrameFontScaleEnlargesTheText)
{
    auto inkAt = [](double scale) {
        CFrame frame(CRect(0, 0, 200, 80), nullptr, nullptr);
        frame.setFontScale(scale);
        auto* display = new CParamDisplay(CRect(0, 0, 200, 80));
        display->setFontColor(MakeCColor(255, 255, 255));
        display->setValue(0.25f); // "0.25"
        frame.addView(display);
        frame.redrawChanged();
        return countPixels(frame.getBackBuffer(), display->getViewSize(),
                           [](unsigned rgb) { return rgb != 0; });
    };
    const int one = inkAt(1.0), two = inkAt(2.0);
    EXPECT_GT(one, 10);
    EXPECT_GT(two, 3 * one);
    EXPECT_LT(two, 5 * one);
}

} // namespace
