#pragma once

#include "resources/ScaledLayout.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// Draws the editor's bitmaps (background, switch strip, pad, handle) with
// cairo at any scale. The build draws them at factor 1 and embeds the
// result; an editor shown at another factor has them drawn afresh by this
// same code at its own size, so lines, rings and letters stay as sharp
// as at factor 1 instead of being stretched.
class EditorBitmapPainter {
public:
    // Pixel size of bitmap `number` at the layout's factor; false when the
    // number is not one of the editor's bitmaps.
    static bool size(long number, const ScaledLayout& layout, long& width, long& height);
    // True for the bitmap drawn with an alpha channel (the handle).
    static bool hasAlpha(long number);
    // Draws bitmap `number` onto cr, whose target has size()'s size and is
    // blank (black or transparent).
    static void draw(cairo_t* cr, long number, const ScaledLayout& layout);
    // A new image surface holding bitmap `number` (RGB24, or ARGB32 with
    // alpha); null for an unknown number. The caller destroys it.
    static cairo_surface_t* paint(long number, const ScaledLayout& layout);
};
