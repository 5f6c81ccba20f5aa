#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"

#include <cstddef>
#include <string>

// The images and the drawing of the window system the toolkit runs on:
// cairo image surfaces on X11 (NativeGraphicsCairo.cpp), GDI DIB sections on
// Windows (NativeGraphicsGdi.cpp). The build compiles one of the two; the
// toolkit's CBitmap, CDrawContext and CFrame draw only through this class,
// and nothing above the toolkit sees which one it is.
//
// Pixels are 32 bits, B G R A in memory, colour premultiplied by alpha (the
// layout of cairo's ARGB32 and of a 32-bit top-down DIB). An opaque image
// (a window's back buffer) ignores its alpha byte.
#ifdef _WIN32
struct GdiImage;
struct GdiCanvas;
using NativeImage = GdiImage;
using NativeCanvas = GdiCanvas;
#else
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;
using NativeImage = cairo_surface_t;
using NativeCanvas = cairo_t;
#endif

class NativeGraphics {
public:
    // A cleared image: black when opaque, fully transparent with alpha.
    // Null when the size is not positive or memory is short.
    static NativeImage* createImage(long width, long height, bool withAlpha);
    // A PNG held in memory or read from a file; null when it cannot be
    // decoded.
    static NativeImage* decodePng(const unsigned char* data, size_t size);
    static NativeImage* readPngFile(const std::string& path);
    static void releaseImage(NativeImage* image);
    static long width(NativeImage* image);
    static long height(NativeImage* image);

    // A drawing session on an image; everything drawn is in the image once
    // endDrawing returns.
    static NativeCanvas* beginDrawing(NativeImage* target);
    static void endDrawing(NativeCanvas* canvas);

    // Restricts the session's further drawing to area (replacing any
    // earlier restriction).
    static void clip(NativeCanvas* canvas, const CRect& area);
    static void fill(NativeCanvas* canvas, const CRect& area, const CColor& colour);
    // Whatever of image falls into area when its top-left corner is
    // placed at origin: copied over what was there (blend false), or laid
    // over it by the image's alpha (blend true).
    static void drawImage(NativeCanvas* canvas, NativeImage* image, const CRect& area, const CPoint& origin,
                          bool blend);
    // One line of UTF-8 text in the toolkit's sans-serif face, pixelSize
    // pixels to the em, vertically centred in area and clipped to it;
    // alignment 0 sets it flush left, 0.5 centred, 1 flush right.
    static void drawText(NativeCanvas* canvas, const char* text, const CRect& area, double alignment,
                         double pixelSize, const CColor& colour);

    // The file the plug-in's code was loaded from (its bitmaps may be
    // overridden by files in a folder beside it); empty if unknown.
    static std::string moduleFilePath();
};
