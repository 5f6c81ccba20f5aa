#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CFont.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/NativeGraphics.h"

class CFrame;

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

// Drawing onto the frame's back buffer (or any image), and the state of
// the mouse while a control tracks it. Mouse tracking is polled: a
// control's mouse loop asks for the position and the button flags
// (CButton) again and again.
class CDrawContext {
public:
    // Draws on target; frame (may be null) answers the mouse queries.
    CDrawContext(CFrame* frame, NativeImage* target);
    virtual ~CDrawContext();

    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    // Pointer position in window pixels, and the CButton flags held now.
    virtual void getMouseLocation(CPoint& where);
    virtual long getMouseButtons();

    void setFont(CFont font) { this->font = font; }
    void setFontColor(const CColor& color) { fontColor = color; }
    void setFillColor(const CColor& color) { fillColor = color; }
    // Text is drawn this many times its font's pixel size: a window drawn
    // at a display scale needs its letters at that scale too.
    void setFontScale(double scale) { fontScale = scale; }

    void fillRect(const CRect& rect);
    // One line of text, vertically centred in rect and clipped to it.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText);

    // Whatever of image falls into area, its top-left corner placed at
    // origin: copied, or blended by its alpha.
    void drawBitmap(NativeImage* image, const CRect& area, const CPoint& origin, bool blend);

    // Restricts all further drawing to rect.
    void setClipRect(const CRect& rect);

private:
    CFrame* frame;
    NativeCanvas* canvas;
    CFont font = kNormalFont;
    CColor fontColor = kBlackCColor;
    CColor fillColor = kWhiteCColor;
    double fontScale = 1.0;
};
