#include "resources/ScaledBitmaps.h"

#include "resources/EditorBitmapPainter.h"
#include "toolkit/CBitmap.h"

#include <cairo.h>

CBitmap* ScaledBitmaps::create(long number, const ScaledLayout& layout)
{
    long width = 0, height = 0;
    if (layout.factor() == 1.0 || !EditorBitmapPainter::size(number, layout, width, height)) {
        return new CBitmap(CResourceDescription(number));
    }
    auto* bitmap = new CBitmap(width, height);
    if (cairo_surface_t* surface = bitmap->getSurface()) {
        cairo_t* cr = cairo_create(surface);
        EditorBitmapPainter::draw(cr, number, layout);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    return bitmap;
}
