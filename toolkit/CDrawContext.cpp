#include "toolkit/CDrawContext.h"

#include "toolkit/CFrame.h"

#include <cairo.h>

namespace {

const char* const kFontFace = "Sans";

void setSource(cairo_t* cr, const CColor& c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

} // namespace

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

CDrawContext::CDrawContext(CFrame* f, cairo_surface_t* target) : frame(f), cr(cairo_create(target)) {}

CDrawContext::~CDrawContext()
{
    cairo_destroy(cr);
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
    setSource(cr, fillColor);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align)
{
    if (!text || !*text || rect.isEmpty())
        return;
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
    cairo_select_font_face(cr, kFontFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, fontPixelSize(font) * fontScale);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    cairo_font_extents_t fext;
    cairo_font_extents(cr, &fext);
    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.width() - ext.x_advance) / 2.0;
    else if (align == kRightText)
        x = rect.right - ext.x_advance;
    const double baseline = rect.top + (rect.height() + fext.ascent - fext.descent) / 2.0;
    setSource(cr, fontColor);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

void CDrawContext::setClipRect(const CRect& rect)
{
    cairo_reset_clip(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr);
}
