#include "editor/NelTouchPad.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CButton.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"

#include <algorithm>
#include <cstring>

namespace {

// Value on one axis for a handle centre at `along` pixels from the pad's
// edge; the handle travels over `range` pixels. The arithmetic is single
// precision so that positions map to the same values on every build.
float axisValue(CCoord along, long handleSize, long range)
{
    if (range <= 0)
        return 0.5f; // the handle cannot move on this axis
    const float r = float(range);
    const float f = float(along) - 0.5f * float(handleSize);
    return std::max(0.f, std::min(r, f) / r);
}

// Handle edge for a value: the nearest pixel, halves up.
CCoord axisPoint(CCoord edge, long range, float v)
{
    const float exact = float(edge) + float(range) * v;
    return CCoord(double(exact) + 0.5);
}

} // namespace

NelTouchPad::NelTouchPad(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         CBitmap* handle, const CPoint& off)
    : CControl(size, listener, tag, background), offset(off), handleBitmap(handle)
{
    if (handleBitmap)
        handleBitmap->remember();
    defaultValue = 0.5f;
    value = 0.5f;
}

NelTouchPad::NelTouchPad(const NelTouchPad& other)
    : CControl(other), offset(other.offset), handlePosition(other.handlePosition),
      handleBitmap(other.handleBitmap), xValue(other.xValue), yValue(other.yValue)
{
    if (handleBitmap)
        handleBitmap->remember();
}

NelTouchPad::~NelTouchPad()
{
    if (handleBitmap)
        handleBitmap->forget();
}

long NelTouchPad::handleWidth() const
{
    return handleBitmap ? handleBitmap->getWidth() : 0;
}
long NelTouchPad::handleHeight() const
{
    return handleBitmap ? handleBitmap->getHeight() : 0;
}

void NelTouchPad::draw(CDrawContext* context)
{
    if (pBackground) {
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, offset);
        else
            pBackground->draw(context, size, offset);
    }
    drawHandle(context);
    setDirty(false);
}

void NelTouchPad::drawHandle(CDrawContext* context)
{
    CPoint p;
    valueToPoint(p);
    handlePosition = p;
    if (handleBitmap)
        handleBitmap->drawTransparent(context, CRect(p.x, p.y, p.x + handleWidth(), p.y + handleHeight()),
                                      CPoint(0, 0));
}

void NelTouchPad::valueToPoint(CPoint& p) const
{
    p.x = axisPoint(size.left, size.width() - handleWidth(), xValue);
    p.y = axisPoint(size.top, size.height() - handleHeight(), yValue);
}

float NelTouchPad::valueFromPoint(CPoint& p)
{
    xValue = axisValue(p.x - size.left, handleWidth(), size.width() - handleWidth());
    yValue = axisValue(p.y - size.top, handleHeight(), size.height() - handleHeight());
    return (xValue + yValue) * 0.5f;
}

void NelTouchPad::setHandleBitmap(CBitmap* bitmap)
{
    if (handleBitmap) {
        handleBitmap->forget();
        handleBitmap = nullptr;
    }
    if (bitmap) {
        handleBitmap = bitmap;
        handleBitmap->remember();
    }
}

void NelTouchPad::setXYValue(float x, float y)
{
    // The frame redraws a control whose value changed, and the pad's value is
    // the mean of x and y: a move that keeps the mean (from the front to the
    // left at the edge, say) must still be drawn.
    if (x != xValue || y != yValue)
        setDirty();
    xValue = x;
    yValue = y;
    value = (x + y) * 0.5f;
}

bool NelTouchPad::isTypeOf(const char* type) const
{
    return std::strcmp(type, "NelTouchPad") == 0 || std::strcmp(type, "CControl") == 0 ||
        std::strcmp(type, "CView") == 0;
}

CView* NelTouchPad::newCopy() const
{
    return new NelTouchPad(*this);
}

bool NelTouchPad::hitsHandle(const CPoint& where) const
{
    const CPoint& h = handlePosition;
    return h.x <= where.x && where.x <= h.x + handleWidth() && h.y <= where.y &&
        where.y <= h.y + handleHeight();
}

void NelTouchPad::resetToDefault()
{
    value = yValue = xValue = getDefaultValue();
    if (isDirty() && listener)
        listener->valueChanged(this);
}

void NelTouchPad::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (buttons == -1)
        buttons = context->getMouseButtons();
    if (!bMouseEnabled || !(buttons & kLButton) || !handleBitmap)
        return;
    if (buttons == (kLButton | kControl)) {
        resetToDefault();
        return;
    }
    if (!hitsHandle(where))
        return;
    beginEdit();
    track(context, where);
    endEdit();
}

// Follows the mouse until the left button is released. The point handed to
// valueFromPoint is the handle's centre as it was at the click, moved by
// the mouse's travel since, so grabbing the handle off-centre does not
// make it jump.
void NelTouchPad::track(CDrawContext* context, CPoint& where)
{
    const CCoord dx = handlePosition.x - where.x + handleWidth() / 2;
    const CCoord dy = handlePosition.y - where.y + handleHeight() / 2;
    do {
        CPoint centre(where.x + dx, where.y + dy);
        value = valueFromPoint(centre);
        if (isDirty() && listener)
            listener->valueChanged(this);
        getMouseLocation(context, where);
        doIdleStuff();
        // A modifier key still held after the release does not keep the drag
        // going: the handle must not follow a mouse whose button is up.
    } while (context->getMouseButtons() & kLButton);
}
