#include "toolkit/CVerticalSwitch.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CButton.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"

#include <cstring>

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long sub,
                                 CCoord imageHeight, long positions, CBitmap* background, const CPoint& off)
    : CControl(size, listener, tag, background), subPixmaps(sub), heightOfOneImage(imageHeight),
      iMaxPositions(positions), offset(off)
{
    defaultValue = 0.f;
}

long CVerticalSwitch::currentSubImage() const
{
    if (subPixmaps < 1)
        return 0;
    long k = long(value * float(subPixmaps - 1) + 0.5f);
    if (k < 0)
        k = 0;
    if (k > subPixmaps - 1)
        k = subPixmaps - 1;
    return k;
}

void CVerticalSwitch::draw(CDrawContext* context)
{
    if (pBackground) {
        const CPoint where(offset.x, offset.y + currentSubImage() * heightOfOneImage);
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, where);
        else
            pBackground->draw(context, size, where);
    }
    setDirty(false);
}

float CVerticalSwitch::valueAt(CCoord y) const
{
    if (iMaxPositions < 2 || heightOfOneImage <= 0)
        return 0.f;
    const double pixelsPerPosition = double(heightOfOneImage) / double(iMaxPositions);
    const long k = long(double(y - size.top) / pixelsPerPosition);
    float v = float(k) / float(iMaxPositions - 1);
    if (v > 1.f)
        v = 1.f;
    if (v < 0.f)
        v = 0.f;
    return v;
}

void CVerticalSwitch::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!bMouseEnabled)
        return;
    if (buttons == -1)
        buttons = context->getMouseButtons();
    if (!(buttons & kLButton))
        return;
    if (listener && (buttons & (kAlt | kShift | kControl | kApple)) &&
        listener->controlModifierClicked(this, buttons) != 0)
        return;
    if (checkDefaultValue(buttons))
        return;

    beginEdit();
    do {
        value = valueAt(where.y);
        if (isDirty() && listener)
            listener->valueChanged(this);
        getMouseLocation(context, where);
        doIdleStuff();
        // The gesture ends with the left button; a modifier still held after
        // the release does not keep the switch following the mouse.
    } while (context->getMouseButtons() & kLButton);
    endEdit();
}

bool CVerticalSwitch::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CVerticalSwitch") == 0 || CControl::isTypeOf(type);
}
