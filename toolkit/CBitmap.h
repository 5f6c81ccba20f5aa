#pragma once

#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"
#include "toolkit/CResourceDescription.h"
#include "toolkit/NativeGraphics.h"

class CDrawContext;

// An image, reference-counted. A bitmap whose resource cannot be found is
// still a valid object of size 0 x 0 that draws nothing.
class CBitmap : public CReferenceCounter {
public:
    explicit CBitmap(const CResourceDescription& desc);
    // The resource as drawn at build time for a display scale factor, where
    // the build embedded a set for that factor (ResourceBundle).
    CBitmap(const CResourceDescription& desc, double factor);
    // A blank, fully transparent bitmap of the given size.
    CBitmap(long width, long height);
    ~CBitmap() override;

    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    long getWidth() const { return width; }
    long getHeight() const { return height; }
    bool isLoaded() const { return surface != nullptr; }

    // Copies the region of the bitmap that starts at offset into rect,
    // replacing what was there.
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // The same, blended by the bitmap's alpha channel.
    void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());

    NativeImage* getSurface() const { return surface; }

private:
    void paint(CDrawContext* context, const CRect& rect, const CPoint& offset, bool opaque);

    NativeImage* surface = nullptr;
    long width = 0;
    long height = 0;
};
