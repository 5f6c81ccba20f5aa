#include "toolkit/CBitmap.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/ResourceBundle.h"

CBitmap::CBitmap(const CResourceDescription& desc) : CBitmap(desc, 1.0) {}

CBitmap::CBitmap(const CResourceDescription& desc, double factor)
    : surface(ResourceBundle::load(desc.id, factor))
{
    if (surface) {
        width = NativeGraphics::width(surface);
        height = NativeGraphics::height(surface);
    }
}

CBitmap::CBitmap(long w, long h) : surface(NativeGraphics::createImage(w, h, true))
{
    if (surface) {
        width = w;
        height = h;
    }
}

CBitmap::~CBitmap()
{
    NativeGraphics::releaseImage(surface);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    paint(context, rect, offset, true);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    paint(context, rect, offset, false);
}

void CBitmap::paint(CDrawContext* context, const CRect& rect, const CPoint& offset, bool opaque)
{
    if (!surface || !context || rect.isEmpty())
        return;
    // Only the region of rect that the bitmap covers from offset on is drawn;
    // the rest of rect keeps what was there.
    CRect covered(rect.left, rect.top, rect.left + width - offset.x, rect.top + height - offset.y);
    covered.bound(rect);
    context->drawBitmap(surface, covered, CPoint(rect.left - offset.x, rect.top - offset.y), !opaque);
}
