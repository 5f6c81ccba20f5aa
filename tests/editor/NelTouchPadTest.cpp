#include "editor/NelTouchPad.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CButton.h"

#include <gtest/gtest.h>

namespace {

const CRect kPadRect(85, 77, 258, 250); // 173 x 173
const long kTag = 2;

// A pad in a window-less frame, so that the idle passes inside its mouse
// loop redraw it exactly as in a real window.
struct PadFixture : ::testing::Test {
    explicit PadFixture(long handleW = 15, long handleH = 15) : frame(CRect(0, 0, 300, 260), nullptr, &editor)
    {
        editor.frame = &frame;
        CBitmap* bg = solidBitmap(173, 173, 0x101820);
        handle = handleW > 0 ? solidBitmap(handleW, handleH, 0x1caeff) : nullptr;
        pad = new NelTouchPad(kPadRect, &listener, kTag, bg, handle, CPoint(0, 0));
        bg->forget();
        if (handle)
            handle->forget();
        frame.addView(pad);
        frame.redrawChanged();
    }

    void mouse(const std::vector<MouseSample>& script) { replayMouse(pad, &frame, script); }
    void place(float x, float y)
    {
        pad->setXYValue(x, y);
        frame.redrawChanged();
        listener.log.clear();
        listener.changes = 0;
    }
    CPoint handleCentre() const
    {
        const CPoint h = pad->getHandlePosition();
        return CPoint(h.x + handle->getWidth() / 2, h.y + handle->getHeight() / 2);
    }

    RecordingEditor editor;
    RecordingListener listener;
    CFrame frame;
    CBitmap* handle;
    NelTouchPad* pad;
};

TEST_F(PadFixture, NewPadIsCentredAndCornersAreFlushWithTheEdges)
{
    EXPECT_EQ(pad->getXValue(), 0.5f);
    EXPECT_EQ(pad->getYValue(), 0.5f);
    EXPECT_EQ(pad->getValue(), 0.5f);
    EXPECT_EQ(pad->getDefaultValue(), 0.5f);
    // (173 - 15) * 0.5 = 79 exactly.
    EXPECT_EQ(pad->getHandlePosition(), CPoint(85 + 79, 77 + 79));
    place(0, 0);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(85, 77));
    place(1, 1);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(258 - 15, 250 - 15));
    place(1, 0);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(258 - 15, 77));
}

template <long W, long H> struct PadWithHandle : PadFixture {
    PadWithHandle() : PadFixture(W, H) {}
};
using EvenHandlePad = PadWithHandle<16, 16>;

TEST_F(EvenHandlePad, HalfPixelCentreRoundsUp)
{
    // (173 - 16) * 0.5 = 78.5: the handle goes to 79.
    EXPECT_EQ(pad->getHandlePosition(), CPoint(85 + 79, 77 + 79));
}

TEST_F(PadFixture, ValueFromPointClampsAndRoundTrips)
{
    CPoint far(-1000, 5000);
    EXPECT_EQ(pad->valueFromPoint(far), 0.5f);
    EXPECT_EQ(pad->getXValue(), 0.f);
    EXPECT_EQ(pad->getYValue(), 1.f);
    // Every handle position maps back onto itself.
    for (long px = 0; px <= 158; ++px) {
        CPoint centre(85 + px + 7, 77 + 158 - px + 7);
        pad->valueFromPoint(centre);
        CPoint top;
        pad->valueToPoint(top);
        ASSERT_EQ(top, CPoint(85 + px, 77 + 158 - px)) << px;
    }
}

TEST_F(PadFixture, HitTestIncludesBothEdges)
{
    const CPoint h = pad->getHandlePosition();
    mouse({{CPoint(h.x + 15 + 1, h.y + 5), kLButton}});
    mouse({{CPoint(h.x - 1, h.y + 5), kLButton}});
    mouse({{CPoint(h.x + 5, h.y + 15 + 1), kLButton}});
    EXPECT_TRUE(editor.edits.empty());
    EXPECT_TRUE(listener.log.empty());
    mouse({{CPoint(h.x + 15, h.y + 15), kLButton}});
    mouse({{CPoint(h.x, h.y), kLButton}});
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 2", "end 2", "begin 2", "end 2"}));
}

TEST_F(PadFixture, ClickWithoutMovementRederivesValuesFromThePixels)
{
    // 0.3 lands on pixel 47.4 -> 47. The grab offset uses half the handle
    // in whole pixels (7) but valueFromPoint takes 7.5 off, so a click
    // re-derives 46.5 / 158: the mean changes and the listener hears it.
    place(0.3f, 0.3f);
    const CPoint h = pad->getHandlePosition();
    EXPECT_EQ(h, CPoint(85 + 47, 77 + 47));
    mouse({{CPoint(h.x + 3, h.y + 12), kLButton}});
    EXPECT_FLOAT_EQ(pad->getXValue(), 46.5f / 158.f);
    EXPECT_FLOAT_EQ(pad->getYValue(), 46.5f / 158.f);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST_F(PadFixture, DragKeepsTheGrabOffsetAndClampsEachAxis)
{
    const CPoint grab(pad->getHandlePosition().x + 2, pad->getHandlePosition().y + 12);
    mouse({{grab, kLButton},
           {CPoint(grab.x + 10, grab.y), kLButton},
           // past the right edge while y keeps following
           {CPoint(grab.x + 500, grab.y - 40), kLButton},
           {CPoint(grab.x + 500, grab.y - 40), 0}});
    EXPECT_EQ(pad->getXValue(), 1.f);
    // The handle's centre moved up 40 pixels from 78.5 pixels down its range.
    EXPECT_FLOAT_EQ(pad->getYValue(), (78.5f - 40.f) / 158.f);
    EXPECT_EQ(listener.changes, 3);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(258 - 15, 77 + 39)); // drawn during the drag
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 2", "end 2"}));
}

// A 45-pixel handle leaves 128 pixels of travel, so every value is exact
// in binary and sums compare exactly.
using WideHandlePad = PadWithHandle<45, 45>;

TEST_F(WideHandlePad, StepThatKeepsTheSumIsNotReported)
{
    const CPoint c = handleCentre();
    mouse({{c, kLButton},
           {CPoint(c.x + 20, c.y - 20), kLButton}, // x + y unchanged
           {CPoint(c.x + 20, c.y - 10), kLButton},
           {CPoint(c.x + 20, c.y - 10), 0}});
    // The click re-derives 63.5 / 128 on both axes (the mean changes from
    // 0.5); the diagonal step is not told; the next one is, with both values.
    const std::vector<std::string> expected = {"begin 2", "changed 0.496094", "changed 0.535156", "end 2"};
    EXPECT_EQ(listener.log, expected);
    EXPECT_EQ(pad->getXValue(), 83.5f / 128.f);
    EXPECT_EQ(pad->getYValue(), 53.5f / 128.f);
}

TEST_F(PadFixture, ReleasingTheButtonEndsTheDragEvenWithAModifierHeld)
{
    const CPoint c = handleCentre();
    mouse({{c, kLButton | kShift},
           {CPoint(c.x + 10, c.y), kLButton | kShift},
           {CPoint(c.x + 10, c.y), kShift}, // button up, Shift still down
           {CPoint(c.x + 60, c.y), kShift}});
    EXPECT_FLOAT_EQ(pad->getXValue(), (78.5f + 10) / 158.f);
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST_F(PadFixture, CommandClickAnywhereReturnsToTheCentreUnlessShiftIsHeld)
{
    place(1.f, 0.2f);
    mouse({{CPoint(90, 80), kLButton | kControl}}); // off the handle
    EXPECT_EQ(pad->getXValue(), 0.5f);
    EXPECT_EQ(pad->getYValue(), 0.5f);
    EXPECT_EQ(listener.log, std::vector<std::string>{"changed 0.500000"});
    EXPECT_TRUE(editor.edits.empty()); // no gesture around the reset
    // From a mean of one half at the last redraw the listener hears nothing.
    place(1.f, 0.f);
    mouse({{CPoint(90, 80), kLButton | kControl}});
    EXPECT_EQ(pad->getXValue(), 0.5f);
    EXPECT_EQ(listener.changes, 0);
    // With Shift it is an ordinary click: nothing off the handle, a
    // one-step drag on it.
    place(1.f, 0.2f);
    mouse({{CPoint(90, 80), kLButton | kControl | kShift}});
    EXPECT_EQ(pad->getXValue(), 1.f);
    mouse({{handleCentre(), kLButton | kControl | kShift}});
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 2", "end 2"}));
    EXPECT_FLOAT_EQ(pad->getXValue(), 157.5f / 158.f);
}

TEST_F(PadFixture, OnlyTheLeftButtonOfAnEnabledPadCounts)
{
    const CPoint c = handleCentre();
    mouse({{c, kRButton}});
    mouse({{c, kMButton | kControl}});
    pad->setMouseEnabled(false);
    mouse({{c, kLButton}});
    mouse({{c, kLButton | kControl}});
    EXPECT_TRUE(editor.edits.empty());
    EXPECT_TRUE(listener.log.empty());
}

TEST_F(PadFixture, SetXYValueNeitherDrawsNorNotifies)
{
    pad->setXYValue(0.25f, 0.75f);
    EXPECT_EQ(pad->getValue(), 0.5f);
    pad->setXYValue(0.25f, 0.25f);
    EXPECT_EQ(pad->getValue(), 0.25f);
    EXPECT_EQ(pad->getHandlePosition(), CPoint(85 + 79, 77 + 79));
    EXPECT_TRUE(pad->isDirty());
    EXPECT_TRUE(listener.log.empty());
    frame.redrawChanged();
    EXPECT_EQ(pad->getHandlePosition(), CPoint(85 + 40, 77 + 40)); // 39.5 rounds up
}

TEST_F(PadFixture, HandleReferencesAndCopies)
{
    EXPECT_EQ(handle->getNbReference(), 1); // the pad's own
    handle->remember();
    CView* copy = pad->newCopy();
    EXPECT_EQ(handle->getNbReference(), 3);
    auto* copiedPad = static_cast<NelTouchPad*>(copy);
    EXPECT_EQ(copiedPad->getXValue(), pad->getXValue());
    EXPECT_EQ(copiedPad->getHandlePosition(), pad->getHandlePosition());
    copy->forget();
    EXPECT_EQ(handle->getNbReference(), 2);
    pad->setHandleBitmap(nullptr);
    EXPECT_EQ(handle->getNbReference(), 1);
    pad->setHandleBitmap(handle);
    EXPECT_EQ(handle->getNbReference(), 2);
    handle->forget();
    EXPECT_TRUE(pad->isTypeOf("NelTouchPad"));
    EXPECT_TRUE(pad->isTypeOf("CControl"));
    EXPECT_FALSE(pad->isTypeOf("CKnob"));
}

using NoHandlePad = PadWithHandle<0, 0>;

TEST_F(NoHandlePad, DrawsOnlyTheBackgroundAndIgnoresClicks)
{
    EXPECT_EQ(pixelAt(frame.getBackBuffer(), 85 + 86, 77 + 86), 0x101820u);
    mouse({{CPoint(85 + 86, 77 + 86), kLButton}});
    mouse({{CPoint(85 + 86, 77 + 86), kLButton | kControl}});
    EXPECT_TRUE(editor.edits.empty());
    EXPECT_TRUE(listener.log.empty());
}

using FullWidthHandlePad = PadWithHandle<173, 15>;

TEST_F(FullWidthHandlePad, AxisWithoutTravelStaysAtOneHalf)
{
    const CPoint c = handleCentre();
    mouse({{c, kLButton}, {CPoint(c.x + 50, c.y + 30), kLButton}, {CPoint(c.x + 50, c.y + 30), 0}});
    EXPECT_EQ(pad->getXValue(), 0.5f);
    EXPECT_FLOAT_EQ(pad->getYValue(), (78.5f + 30) / 158.f);
    EXPECT_EQ(pad->getHandlePosition().x, 85);
}

} // namespace
