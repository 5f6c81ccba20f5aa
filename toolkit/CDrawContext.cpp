#include "toolkit/CDrawContext.h"

#include "toolkit/CFrame.h"

double fontPixelSize(CFont font)
{
    switch (font) {
    case kNormalFontVeryBig: return 18;
    case kNormalFontBig: return 14;
    case kNormalFontSmall: return 11;
    case kNormalFontSmaller: return 10;
    case kNormalFontVerySmall: return 9;
    default: return 12;
    }
}

// Without a target (a frame whose back buffer could not be made) the
// context still answers the mouse and draws nothing.
CDrawContext::CDrawContext(CFrame* f, NativeImage* target)
    : frame(f), canvas(target ? NativeGraphics::beginDrawing(target) : nullptr)
{
}

CDrawContext::~CDrawContext()
{
    if (canvas)
        NativeGraphics::endDrawing(canvas);
}

void CDrawContext::getMouseLocation(CPoint& where)
{
    long buttons = 0;
    if (frame)
        frame->queryPointer(where, buttons);
}

long CDrawContext::getMouseButtons()
{
    CPoint where;
    long buttons = 0;
    if (frame && frame->queryPointer(where, buttons))
        return buttons;
    return 0;
}

void CDrawContext::fillRect(const CRect& rect)
{
    if (canvas)
        NativeGraphics::fill(canvas, rect, fillColor);
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align)
{
    if (!canvas || !text || !*text || rect.isEmpty())
        return;
    const double alignment = align == kCenterText ? 0.5 : align == kRightText ? 1.0 : 0.0;
    NativeGraphics::drawText(canvas, text, rect, alignment, fontPixelSize(font) * fontScale, fontColor);
}

void CDrawContext::drawBitmap(NativeImage* image, const CRect& area, const CPoint& origin, bool blend)
{
    if (canvas && image && !area.isEmpty())
        NativeGraphics::drawImage(canvas, image, area, origin, blend);
}

void CDrawContext::setClipRect(const CRect& rect)
{
    if (canvas)
        NativeGraphics::clip(canvas, rect);
}
