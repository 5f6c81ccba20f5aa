#include "editor/NAE_editor.h"

#include "editor/EffectLink.h"
#include "editor/NelTouchPad.h"
#include "effect/ParameterTable.h"
#include "resources/EditorBitmaps.h"
#include "resources/EditorLayout.h"
#include "resources/ScaledBitmaps.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CVerticalSwitch.h"
#include "toolkit/UiScale.h"

#include <cstdint>

namespace {

using namespace EditorLayout;

const long kPadTag = 2;
const long kSwitchTag = kCompensationDistance;

// Design pixels (factor 1); the window scales them through its layout.
const CRect kXDisplayRect(248, 75, 288, 95);
const CRect kYDisplayRect(248, 110, 288, 130);
const CRect kNfcDisplayRect(42, 177, 82, 197);
const CColor kDisplayColour = MakeCColor(28, 174, 255, 255);

constexpr std::uint32_t bitOf(int index)
{
    return 1u << index;
}
// Every parameter that moves the source: x and y directly, the polar ones
// through the conversion, z through the 4 m clamp.
constexpr std::uint32_t kPositionChanges =
    bitOf(kAzimuth) | bitOf(kElevation) | bitOf(kX) | bitOf(kY) | bitOf(kZ) | bitOf(kDistance);
constexpr std::uint32_t kCompensationChanges = bitOf(kCompensationDistance);

void releaseBitmap(CBitmap*& bitmap)
{
    if (bitmap)
        bitmap->forget();
    bitmap = nullptr;
}

void linkText(void* link, VstInt32 index, char* string)
{
    string[0] = 0;
    if (link)
        static_cast<EditorLink*>(link)->parameterText(index, string);
}

CParamDisplay* newDisplay(const CRect& rect, float value, CParamDisplay::StringConvert convert,
                          EditorLink& link, CHoriTxtAlign align)
{
    auto* display = new CParamDisplay(rect, nullptr, 0);
    display->setHoriAlign(align);
    display->setFont(kNormalFontSmaller);
    display->setFontColor(kDisplayColour);
    display->setTransparency(true);
    display->setValue(value);
    display->setStringConvert(convert, &link);
    return display;
}

} // namespace

void x_display(float, char* string, void* userData)
{
    linkText(userData, kX, string);
}
void y_display(float, char* string, void* userData)
{
    linkText(userData, kY, string);
}
void NFC_display(float, char* string, void* userData)
{
    linkText(userData, kCompensationDistance, string);
}

NAE_editor::NAE_editor(AudioEffect* effect, long background) : NAE_editor(effect, nullptr, background) {}

NAE_editor::NAE_editor(EditorLink& givenLink, long background) : NAE_editor(nullptr, &givenLink, background) {}

NAE_editor::NAE_editor(AudioEffect* effect, EditorLink* givenLink, long background)
    : AEffGUIEditor(effect), ownLink(givenLink ? nullptr : new EffectLink(effect)),
      link(givenLink ? *givenLink : *ownLink), backgroundNumber(background)
{
    installEditorBitmaps();
    backgroundBitmap = ScaledBitmaps::create(backgroundNumber, layout);
    rect.top = 0;
    rect.left = 0;
    fitRectToBackground();
}

void NAE_editor::fitRectToBackground()
{
    rect.bottom = VstInt16(backgroundBitmap->getHeight());
    rect.right = VstInt16(backgroundBitmap->getWidth());
}

// The scale is looked up when the host asks for the size of a window to
// come and when it opens one, not at construction: a host that only
// renders never needs the X server.
void NAE_editor::takeScale()
{
    const double factor = UiScale::current(hostScaleRequest);
    if (factor == layout.factor())
        return;
    layout = ScaledLayout(factor);
    releaseBitmap(backgroundBitmap);
    backgroundBitmap = ScaledBitmaps::create(backgroundNumber, layout);
    fitRectToBackground();
}

bool NAE_editor::getRect(ERect** r)
{
    // An open window keeps its size until the host lets it change.
    if (!frame)
        takeScale();
    return AEffGUIEditor::getRect(r);
}

bool NAE_editor::requestScale(float factor)
{
    double wanted = 0.0;
    if (!UiScale::usable(double(factor), wanted))
        return false;
    // The host's request beats every other source, now and at later opens.
    hostScaleRequest = factor;
    if (!frame || wanted == layout.factor())
        return true;
    const ScaledLayout next(wanted);
    if (link.resizeWindow(int(next.windowWidth()), int(next.windowHeight())))
        open(parentWindow);
    return true;
}

NAE_editor::~NAE_editor()
{
    // The frame (if the host never closed the window) goes before the
    // background it shows.
    destroyFrame();
    releaseBitmap(backgroundBitmap);
}

float NAE_editor::parameter(VstInt32 index) const
{
    return link.parameter(index);
}

bool NAE_editor::open(void* ptr)
{
    // A host that opens twice without closing gets a fresh window; the old
    // one must not be leaked.
    destroyFrame();
    AEffGUIEditor::open(ptr);
    takeScale();
    padBitmap = ScaledBitmaps::create(kPadBitmap, layout);
    padHandleBitmap = ScaledBitmaps::create(kHandleBitmap, layout);
    nfcSwitchBitmap = ScaledBitmaps::create(kSwitchBitmap, layout);

    // The controls are built from the plug-in's values as they are now:
    // nothing recorded before this point needs showing again.
    pendingChanges.store(0);
    auto* newFrame =
        new CFrame(CRect(0, 0, backgroundBitmap->getWidth(), backgroundBitmap->getHeight()), ptr, this);
    newFrame->setFontScale(layout.factor());
    newFrame->setBackground(backgroundBitmap);
    buildControls(newFrame);
    frame = newFrame;
    setKnobMode(0);

    releaseBitmap(nfcSwitchBitmap);
    releaseBitmap(padBitmap);
    releaseBitmap(padHandleBitmap);
    // The host learns whether a window really opened inside its own (no X
    // display, or a parent that is not a window, give none); the editor
    // works on without one until it is closed.
    return frame->isOpen();
}

void NAE_editor::buildControls(CFrame* newFrame)
{
    touchPad = new NelTouchPad(layout.pad(), this, kPadTag, padBitmap, padHandleBitmap, CPoint(0, 0));
    touchPad->setXYValue(1.f - parameter(kY), 1.f - parameter(kX));
    newFrame->addView(touchPad);

    // The coordinate texts reach over the pad's right edge; set flush right,
    // even a negative value keeps clear of the pad.
    xDisplay = newDisplay(layout.rect(kXDisplayRect), parameter(kX), x_display, link, kRightText);
    newFrame->addView(xDisplay);
    yDisplay = newDisplay(layout.rect(kYDisplayRect), parameter(kY), y_display, link, kRightText);
    newFrame->addView(yDisplay);

    nfcSwitch =
        new CVerticalSwitch(layout.switchArea(), this, kSwitchTag, kSwitchPositions,
                            layout.switchImageHeight(), kSwitchPositions, nfcSwitchBitmap, CPoint(0, 0));
    nfcSwitch->setValue(1.f - parameter(kCompensationDistance));
    nfcSwitch->setTransparency(false);
    newFrame->addView(nfcSwitch);

    nfcDisplay = newDisplay(layout.rect(kNfcDisplayRect), parameter(kCompensationDistance), NFC_display,
                            link, kCenterText);
    newFrame->addView(nfcDisplay);
}

void NAE_editor::close()
{
    destroyFrame();
    AEffGUIEditor::close();
}

void NAE_editor::idle()
{
    catchUp();
    AEffGUIEditor::idle();
}

// Inside a control's mouse loop: host changes show while the user drags.
void NAE_editor::doIdleStuff()
{
    catchUp();
    AEffGUIEditor::doIdleStuff();
}

void NAE_editor::setParameter(VstInt32 index, float)
{
    if (ParameterTable::isValidIndex(index))
        pendingChanges.fetch_or(bitOf(index));
}

void NAE_editor::catchUp()
{
    if (!frame)
        return;
    const std::uint32_t changed = pendingChanges.exchange(0);
    if (changed & kPositionChanges)
        showPosition();
    if (changed & kCompensationChanges)
        showCompensation();
}

void NAE_editor::showPosition()
{
    // The pad's axes are turned against the parameters: its top is the
    // largest x (the front), its left the largest y (the left side).
    touchPad->setXYValue(1.f - parameter(kY), 1.f - parameter(kX));
    xDisplay->setValue(parameter(kX));
    yDisplay->setValue(parameter(kY));
}

void NAE_editor::showCompensation()
{
    nfcSwitch->setValue(1.f - parameter(kCompensationDistance));
    nfcDisplay->setValue(parameter(kCompensationDistance));
}

void NAE_editor::beginEdit(long index)
{
    link.beginGesture(int(index));
}

void NAE_editor::endEdit(long index)
{
    link.endGesture(int(index));
}

void NAE_editor::controlBeginEdit(CControl*)
{
    forgetSentValues();
}

void NAE_editor::controlEndEdit(CControl*)
{
    forgetSentValues();
}

// Outside a gesture every change is sent, whatever was sent before.
void NAE_editor::forgetSentValues()
{
    sentPadX = sentPadY = sentSwitch = -1.f;
}

void NAE_editor::valueChanged(CControl* control)
{
    switch (control->getTag()) {
    case kPadTag: sendPadPosition(); break;
    case kSwitchTag: sendCompensation(); break;
    default: break;
    }
}

void NAE_editor::sendPadPosition()
{
    // Both values are read before the first change is sent: the pad then
    // shows the plug-in's position, which still has the old x.
    const float padX = touchPad->getXValue();
    const float padY = touchPad->getYValue();
    if (padX != sentPadX || padY != sentPadY) {
        sentPadX = padX;
        sentPadY = padY;
        link.change(kY, 1.f - padX);
        link.change(kX, 1.f - padY);
    }
    showPosition();
}

void NAE_editor::sendCompensation()
{
    const float position = nfcSwitch->getValue();
    if (position != sentSwitch) {
        sentSwitch = position;
        link.change(kCompensationDistance, 1.f - position);
    }
    showCompensation();
}
