// NativeGraphics on cairo: the X11 build's images and drawing.
#include "toolkit/NativeGraphics.h"

#include <cairo.h>
#include <dlfcn.h>

#include <cstring>

namespace {

const char* const kFontFace = "Sans";

void setSource(cairo_t* cr, const CColor& c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void addRectangle(cairo_t* cr, const CRect& r)
{
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
}

// Cairo reports failures through an error surface rather than null.
cairo_surface_t* keepIfValid(cairo_surface_t* s)
{
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
        return s;
    cairo_surface_destroy(s);
    return nullptr;
}

struct ByteReader {
    const unsigned char* data;
    size_t remaining;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* r = static_cast<ByteReader*>(closure);
    if (length > r->remaining)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data, length);
    r->data += length;
    r->remaining -= length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

NativeImage* NativeGraphics::createImage(long width, long height, bool withAlpha)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return keepIfValid(cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                                  int(width), int(height)));
}

NativeImage* NativeGraphics::decodePng(const unsigned char* data, size_t size)
{
    ByteReader reader{data, size};
    return keepIfValid(cairo_image_surface_create_from_png_stream(readBytes, &reader));
}

NativeImage* NativeGraphics::readPngFile(const std::string& path)
{
    return keepIfValid(cairo_image_surface_create_from_png(path.c_str()));
}

void NativeGraphics::releaseImage(NativeImage* image)
{
    if (image)
        cairo_surface_destroy(image);
}

long NativeGraphics::width(NativeImage* image)
{
    return cairo_image_surface_get_width(image);
}

long NativeGraphics::height(NativeImage* image)
{
    return cairo_image_surface_get_height(image);
}

NativeCanvas* NativeGraphics::beginDrawing(NativeImage* target)
{
    return cairo_create(target);
}

void NativeGraphics::endDrawing(NativeCanvas* cr)
{
    cairo_surface_t* target = cairo_get_target(cr);
    cairo_destroy(cr);
    cairo_surface_flush(target);
}

void NativeGraphics::clip(NativeCanvas* cr, const CRect& area)
{
    cairo_reset_clip(cr);
    addRectangle(cr, area);
    cairo_clip(cr);
}

void NativeGraphics::fill(NativeCanvas* cr, const CRect& area, const CColor& colour)
{
    setSource(cr, colour);
    addRectangle(cr, area);
    cairo_fill(cr);
}

void NativeGraphics::drawImage(NativeCanvas* cr, NativeImage* image, const CRect& area, const CPoint& origin,
                               bool blend)
{
    cairo_save(cr);
    addRectangle(cr, area);
    cairo_clip(cr);
    cairo_set_operator(cr, blend ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, double(origin.x), double(origin.y));
    cairo_paint(cr);
    cairo_restore(cr);
}

void NativeGraphics::drawText(NativeCanvas* cr, const char* text, const CRect& area, double alignment,
                              double pixelSize, const CColor& colour)
{
    cairo_save(cr);
    addRectangle(cr, area);
    cairo_clip(cr);
    cairo_select_font_face(cr, kFontFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pixelSize);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    cairo_font_extents_t fext;
    cairo_font_extents(cr, &fext);
    const double x = alignment >= 1.0 ? area.right - ext.x_advance
                                      : area.left + (area.width() - ext.x_advance) * alignment;
    const double baseline = area.top + (area.height() + fext.ascent - fext.descent) / 2.0;
    setSource(cr, colour);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

std::string NativeGraphics::moduleFilePath()
{
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&NativeGraphics::moduleFilePath), &info) || !info.dli_fname)
        return std::string();
    return info.dli_fname;
}
