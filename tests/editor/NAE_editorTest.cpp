// The editor window's logic on the real effect, in a frame without a
// window: controls built from the effect, changes in both directions,
// bitmap references, open/close cycles.

#include "editor/NAE_editor.h"
#include "editor/NelTouchPad.h"
#include "vst/NelAmbiEncEdit.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CButton.h"
#include "toolkit/CFrame.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CVerticalSwitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> requests;
std::function<void()> onHostIdle;
bool hostResizes = false;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float)
{
    switch (opcode) {
    case audioMasterSizeWindow:
        requests.push_back("size " + std::to_string(index) + " " + std::to_string(value));
        return hostResizes ? 1 : 0;
    case audioMasterVersion: return kVstVersion;
    case audioMasterAutomate: requests.push_back("automate " + std::to_string(index)); return 0;
    case audioMasterBeginEdit: requests.push_back("begin " + std::to_string(index)); return 1;
    case audioMasterEndEdit: requests.push_back("end " + std::to_string(index)); return 1;
    case audioMasterIdle:
        if (onHostIdle)
            onHostIdle();
        return 0;
    default: return 0;
    }
}

struct EditorFixture : ::testing::Test {
    EditorFixture()
    {
        // The display scale must come from the tests alone, not from the
        // desktop they happen to run on.
        for (const char* name : {"VELMORA_UI_SCALE", "GDK_SCALE", "DISPLAY"})
            ::unsetenv(name);
        requests.clear();
        onHostIdle = nullptr;
        hostResizes = false;
        effect = new NelAmbiEncEdit(recordingHost);
        editor = static_cast<NAE_editor*>(effect->getEditor());
    }
    ~EditorFixture() override
    {
        onHostIdle = nullptr;
        delete effect;
    }

    // The editor opened without a system window: a frame that draws into
    // its back buffer only.
    CFrame* open()
    {
        EXPECT_FALSE(editor->open(nullptr)); // no window, but a working frame
        return editor->getFrame();
    }
    NelTouchPad* pad() const { return static_cast<NelTouchPad*>(editor->getFrame()->getView(0)); }
    CParamDisplay* display(int i) const
    {
        return static_cast<CParamDisplay*>(editor->getFrame()->getView(i));
    }
    CVerticalSwitch* nfcSwitch() const
    {
        return static_cast<CVerticalSwitch*>(editor->getFrame()->getView(3));
    }
    std::string shown(CParamDisplay* d) const
    {
        char text[CParamDisplay::kParamDisplayTextSize];
        d->getText(text);
        return text;
    }
    float p(int index) { return effect->getParameter(index); }
    // The host's scale request, as the dispatcher receives it.
    VstIntPtr requestScale(float factor)
    {
        return effect->dispatcher(effVendorSpecific, 0x50726553, 0x41654373, nullptr, factor);
    }
    std::vector<int> size()
    {
        ERect* r = nullptr;
        EXPECT_TRUE(editor->getRect(&r));
        return {r->right - r->left, r->bottom - r->top};
    }
    // Drags the pad's handle from its centre by (dx, dy) window pixels.
    void dragHandle(long dx, long dy)
    {
        const CPoint h = pad()->getHandlePosition();
        const long half = pad()->getHandleBitmap()->getWidth() / 2;
        replayMouse(pad(), editor->getFrame(),
                    {{CPoint(h.x + half, h.y + half), kLButton},
                     {CPoint(h.x + half + dx, h.y + half + dy), kLButton},
                     {CPoint(h.x + half + dx, h.y + half + dy), 0}});
    }

    NelAmbiEncEdit* effect;
    NAE_editor* editor;
};

TEST_F(EditorFixture, AttachedAtConstructionWithTheBackgroundsSize)
{
    EXPECT_EQ(effect->getAeffect()->flags, 0x11);
    ERect* r = nullptr;
    ASSERT_TRUE(editor->getRect(&r));
    EXPECT_EQ((std::vector<int>{r->left, r->top, r->right, r->bottom}), (std::vector<int>{0, 0, 330, 272}));
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(EditorFixture, OpenBuildsTheControlsFromTheEffect)
{
    effect->setParameter(2, 0.75f);
    effect->setParameter(3, 0.625f);
    effect->setParameter(6, 0.25f);
    requests.clear(); // the effect's reports of the coupled views
    CFrame* frame = open();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->getNbViews(), 5);
    EXPECT_TRUE(pad()->isTypeOf("NelTouchPad"));
    EXPECT_EQ(pad()->getTag(), 2);
    EXPECT_EQ(pad()->getViewSize(), CRect(85, 77, 258, 250));
    EXPECT_EQ(pad()->getXValue(), 1.f - p(3));
    EXPECT_EQ(pad()->getYValue(), 1.f - p(2));
    EXPECT_EQ(display(1)->getViewSize(), CRect(248, 75, 288, 95));
    EXPECT_EQ(display(2)->getViewSize(), CRect(248, 110, 288, 130));
    EXPECT_EQ(display(4)->getViewSize(), CRect(42, 177, 82, 197));
    EXPECT_EQ(shown(display(1)), "2.00");
    EXPECT_EQ(shown(display(2)), "1.00");
    EXPECT_EQ(nfcSwitch()->getTag(), 6);
    EXPECT_EQ(nfcSwitch()->getViewSize(), CRect(50, 77, 74, 173));
    EXPECT_EQ(nfcSwitch()->getValue(), 1.f - p(6));
    char nfcText[64] = {};
    effect->getParameterDisplay(6, nfcText);
    EXPECT_EQ(shown(display(4)), nfcText);
    frame->redrawChanged();
    EXPECT_TRUE(requests.empty());
}

TEST_F(EditorFixture, BitmapReferencesAcrossOpenAndClose)
{
    open();
    CBitmap* padBitmap = pad()->getBackground();
    CBitmap* handle = pad()->getHandleBitmap();
    CBitmap* strip = nfcSwitch()->getBackground();
    CBitmap* background = editor->getFrame()->getBackground();
    EXPECT_EQ(padBitmap->getNbReference(), 1); // the control's only
    EXPECT_EQ(handle->getNbReference(), 1);
    EXPECT_EQ(strip->getNbReference(), 1);
    EXPECT_EQ(background->getNbReference(), 2); // editor and frame
    EXPECT_EQ(padBitmap->getWidth(), 173);
    EXPECT_EQ(strip->getHeight(), 96 * 79);
    padBitmap->remember();
    editor->close();
    EXPECT_EQ(padBitmap->getNbReference(), 1); // only the test's now
    padBitmap->forget();
    EXPECT_EQ(background->getNbReference(), 1);
    editor->close(); // twice is harmless
    open();
    open(); // opened again without a close: the first window goes
    EXPECT_EQ(background->getNbReference(), 2);
}

TEST_F(EditorFixture, HostChangesShowAtTheNextOpenOrTheNextIdle)
{
    effect->setParameter(0, 0.25f); // closed: nothing to refresh, nothing breaks
    effect->setParameter(6, 0.f);
    editor->idle();
    open();
    EXPECT_EQ(pad()->getXValue(), 1.f - p(3));
    EXPECT_EQ(pad()->getYValue(), 1.f - p(2));
    EXPECT_EQ(nfcSwitch()->getValue(), 1.f);
    EXPECT_EQ(nfcSwitch()->currentSubImage(), 78);
    EXPECT_EQ(display(4)->getValue(), 0.f);
    effect->setParameter(6, 0.5f);
    // The change is only recorded on the caller's thread; the window's own
    // thread shows it at its next idle.
    EXPECT_EQ(nfcSwitch()->currentSubImage(), 78);
    editor->idle();
    EXPECT_EQ(nfcSwitch()->currentSubImage(), 39);
}

TEST_F(EditorFixture, EveryPositionChangeMovesPadAndTexts)
{
    effect->setParameter(2, 0.5f);
    effect->setParameter(3, 0.5f);
    CFrame* frame = open();
    frame->redrawChanged();
    // y alone: the pad follows at the next idle.
    effect->setParameter(3, 0.75f);
    EXPECT_EQ(pad()->getXValue(), 0.5f);
    editor->idle();
    EXPECT_EQ(pad()->getXValue(), 0.25f);
    EXPECT_EQ(display(2)->getValue(), 0.75f);
    // Front at 4 m, then z up: the 4 m clamp pulls x in, and the pad shows it.
    effect->setParameter(3, 0.5f);
    effect->setParameter(2, 1.f);
    effect->setParameter(4, 1.f);
    editor->idle();
    EXPECT_LT(p(2), 1.f);
    EXPECT_EQ(pad()->getYValue(), 1.f - p(2));
    EXPECT_EQ(display(1)->getValue(), p(2));
    // The host hears the coupled views from the effect; the editor itself
    // sends nothing for changes that did not come from the user.
    for (const auto& r : requests)
        EXPECT_EQ(r.rfind("automate ", 0), 0u) << r;
}

// A drag into the corner: the effect pulls the source in to the 4 m circle,
// and the host is left holding the pulled-in values, not the raw ones the
// pad sent.
TEST_F(EditorFixture, PullInDuringADragReachesTheHostLast)
{
    effect->setParameterAutomated(3, 1.f); // y 4 m to the left while x is 4 m to the front
    const std::vector<std::string> expected = {"automate 3", "automate 0", "automate 2", "automate 3"};
    EXPECT_EQ(requests, expected);
}

// The coordinate texts overlap the pad's right edge; the longest ones
// ("-4.00") must still keep their glyphs off the pad.
TEST_F(EditorFixture, CoordinateTextsStayOffThePad)
{
    effect->setParameter(2, 0.f);
    effect->setParameter(3, 0.f);
    CFrame* frame = open();
    frame->redrawChanged();
    EXPECT_EQ(shown(display(1))[0], '-');
    auto isTextColour = [](unsigned rgb) {
        return ((rgb >> 16) & 255) < 90 && ((rgb >> 8) & 255) > 130 && (rgb & 255) > 200;
    };
    int onPad = 0, beside = 0;
    for (int i : {1, 2}) {
        const CRect r = display(i)->getViewSize();
        onPad += countPixels(frame->getBackBuffer(), CRect(r.left, r.top, 258, r.bottom), isTextColour);
        beside += countPixels(frame->getBackBuffer(), CRect(258, r.top, r.right, r.bottom), isTextColour);
    }
    EXPECT_EQ(onPad, 0);
    EXPECT_GT(beside, 20);
}

TEST_F(EditorFixture, HostClosingTheEditorMidDragEndsTheGestureSafely)
{
    CFrame* frame = open();
    frame->redrawChanged();
    const CPoint h = pad()->getHandlePosition();
    NelTouchPad* tracked = pad();
    // Closes, reopens and closes again from inside the drag.
    onHostIdle = [this] {
        effect->dispatcher(effEditClose, 0, 0, nullptr, 0.f);
        effect->dispatcher(effEditOpen, 0, 0, nullptr, 0.f);
        effect->dispatcher(effEditClose, 0, 0, nullptr, 0.f);
    };
    replayMouse(tracked, frame,
                {{CPoint(h.x + 7, h.y + 7), kLButton},
                 {CPoint(h.x + 20, h.y + 7), kLButton},
                 {CPoint(h.x + 20, h.y + 7), 0}});
    onHostIdle = nullptr;
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(requests.front(), "begin 2");
    EXPECT_EQ(requests.back(), "end 2");
    editor->idle(); // the retired frame goes now
    open();
    EXPECT_EQ(editor->getFrame()->getNbViews(), 5);
}

TEST_F(EditorFixture, ScaleRequestSizesWindowControlsBitmapsAndText)
{
    EXPECT_EQ(requestScale(2.f), 1);
    EXPECT_EQ(size(), (std::vector<int>{660, 544}));
    CFrame* frame = open();
    EXPECT_EQ(pad()->getViewSize(), CRect(170, 154, 516, 500));
    EXPECT_EQ(display(1)->getViewSize(), CRect(496, 150, 576, 190));
    EXPECT_EQ(display(4)->getViewSize(), CRect(84, 354, 164, 394));
    EXPECT_EQ(nfcSwitch()->getViewSize(), CRect(100, 154, 148, 346));
    EXPECT_EQ(pad()->getBackground()->getWidth(), 346);
    EXPECT_EQ(pad()->getHandleBitmap()->getWidth(), 30);
    EXPECT_EQ(nfcSwitch()->getBackground()->getHeight(), 192 * 79);
    EXPECT_EQ(frame->getBackground()->getWidth(), 660);
    EXPECT_EQ(frame->getFontScale(), 2.0);
    editor->close();

    // Beyond 1..3 clamped; not a positive number ignored (and refused).
    EXPECT_EQ(requestScale(7.f), 1);
    EXPECT_EQ(size(), (std::vector<int>{990, 816}));
    EXPECT_EQ(requestScale(std::nanf("")), 0);
    EXPECT_EQ(requestScale(0.f), 0);
    EXPECT_EQ(requestScale(-2.f), 0);
    EXPECT_EQ(size(), (std::vector<int>{990, 816}));
    EXPECT_EQ(requestScale(0.5f), 1);
    EXPECT_EQ(size(), (std::vector<int>{330, 272}));
    EXPECT_EQ(effect->dispatcher(effVendorSpecific, 0x50726553, 0, nullptr, 2.f), 0); // not the request
    EXPECT_EQ(size(), (std::vector<int>{330, 272}));
    EXPECT_TRUE(requests.empty()); // no window open: nothing to resize
}

// The host's request while the window is open: a host that will not
// resize keeps the window as it is until the next open; one that will
// gets it rebuilt at the new size at once.
TEST_F(EditorFixture, ScaleRequestWhileOpenResizesOnlyWhenTheHostAgrees)
{
    effect->setParameter(2, 0.75f);
    requests.clear(); // the effect's reports of the coupled views
    CFrame* first = open();
    EXPECT_EQ(requestScale(2.f), 1);
    EXPECT_EQ(requests, (std::vector<std::string>{"size 660 544"}));
    EXPECT_EQ(editor->getFrame(), first);
    EXPECT_EQ(size(), (std::vector<int>{330, 272}));
    editor->close();
    EXPECT_EQ(size(), (std::vector<int>{660, 544}));

    open();
    requests.clear();
    hostResizes = true;
    EXPECT_EQ(requestScale(1.5f), 1);
    EXPECT_EQ(requests, (std::vector<std::string>{"size 495 408"}));
    EXPECT_EQ(size(), (std::vector<int>{495, 408}));
    EXPECT_EQ(pad()->getViewSize(), CRect(128, 116, 388, 376));
    EXPECT_EQ(pad()->getYValue(), 1.f - p(2)); // rebuilt from the effect
    requests.clear();
    EXPECT_EQ(requestScale(1.5f), 1); // the same factor again: nothing to do
    EXPECT_TRUE(requests.empty());

    // Asked from the host's idle inside a drag: the gesture still ends, and
    // the window left afterwards is the new one.
    editor->getFrame()->redrawChanged();
    onHostIdle = [this] { requestScale(2.f); };
    dragHandle(10, 10);
    onHostIdle = nullptr;
    EXPECT_EQ(requests.front(), "begin 2");
    EXPECT_EQ(requests.back(), "end 2");
    editor->idle(); // the old window's frame goes now
    EXPECT_EQ(size(), (std::vector<int>{660, 544}));
    EXPECT_EQ(pad()->getViewSize(), CRect(170, 154, 516, 500));
}

} // namespace

namespace {

// The AmbiX plug-in's window is the FuMa one but for the footer, which
// names the convention its outputs follow.
TEST(EditorBackground, TheAmbiXWindowDiffersOnlyInTheFooterThatNamesItsConvention)
{
    NelAmbiEncEdit fuma(recordingHost, EffectIdentity::fuma());
    NelAmbiEncEdit ambix(recordingHost, EffectIdentity::ambix());
    CFrame* frames[2];
    int i = 0;
    for (NelAmbiEncEdit* effect : {&fuma, &ambix}) {
        auto* editor = static_cast<NAE_editor*>(effect->getEditor());
        editor->open(nullptr);
        frames[i] = editor->getFrame();
        frames[i++]->redrawChanged();
    }
    const long footerTop = 272 - 24;
    int differAbove = 0, differInFooter = 0;
    for (long y = 0; y < 272; ++y)
        for (long x = 0; x < 330; ++x) {
            const bool differ = pixelAt(frames[0]->getBackBuffer(), int(x), int(y)) !=
                pixelAt(frames[1]->getBackBuffer(), int(x), int(y));
            (y < footerTop ? differAbove : differInFooter) += differ;
        }
    EXPECT_EQ(differAbove, 0);
    EXPECT_GT(differInFooter, 50);
}

} // namespace
