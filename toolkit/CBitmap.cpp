#include "toolkit/CBitmap.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/ResourceBundle.h"

#include <cairo.h>

CBitmap::CBitmap(const CResourceDescription& desc) : surface(ResourceBundle::load(desc.id))
{
    if (surface) {
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
    }
}

CBitmap::CBitmap(long w, long h)
{
    if (w <= 0 || h <= 0)
        return;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return;
    }
    surface = s;
    width = w;
    height = h;
}

CBitmap::~CBitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
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
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    // Only the region of rect that the bitmap covers from offset on is drawn;
    // the rest of rect keeps what was there.
    CRect covered(rect.left, rect.top, rect.left + width - offset.x, rect.top + height - offset.y);
    covered.bound(rect);
    cairo_rectangle(cr, covered.left, covered.top, covered.width(), covered.height());
    cairo_clip(cr);
    cairo_set_operator(cr, opaque ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, surface, double(rect.left - offset.x), double(rect.top - offset.y));
    cairo_paint(cr);
    cairo_restore(cr);
}
