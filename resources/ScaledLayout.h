#pragma once

#include "resources/EditorLayout.h"
#include "toolkit/CRect.h"

#include <cmath>

// The editor's geometry at a display scale: every length of EditorLayout
// multiplied by the factor and rounded to whole pixels, so that the window,
// the controls and the bitmaps drawn for them agree to the pixel. At
// factor 1 every value is EditorLayout's own.
class ScaledLayout {
public:
    explicit ScaledLayout(double factor = 1.0) : f(factor) {}

    double factor() const { return f; }

    // A design length (or coordinate) in window pixels, halves up.
    long px(double designPixels) const { return long(std::floor(designPixels * f + 0.5)); }
    // A design rectangle in window pixels; its corners are rounded, not its
    // size, so that neighbouring rectangles still meet.
    CRect rect(const CRect& design) const
    {
        return CRect(px(double(design.left)), px(double(design.top)), px(double(design.right)),
                     px(double(design.bottom)));
    }

    long windowWidth() const { return px(EditorLayout::kWindowWidth); }
    long windowHeight() const { return px(EditorLayout::kWindowHeight); }
    CRect window() const { return CRect(0, 0, windowWidth(), windowHeight()); }

    // The pad and the handle stay square, and the bitmaps drawn for them
    // have exactly these sizes.
    long padSize() const { return px(EditorLayout::kPadSize); }
    long handleSize() const { return px(EditorLayout::kHandleSize); }
    CRect pad() const
    {
        const long left = px(EditorLayout::kPadLeft), top = px(EditorLayout::kPadTop);
        return CRect(left, top, left + padSize(), top + padSize());
    }

    // The switch shows one sub-image of its strip at a time.
    long switchWidth() const { return px(EditorLayout::kSwitchWidth); }
    long switchImageHeight() const { return px(EditorLayout::kSwitchImageHeight); }
    CRect switchArea() const
    {
        const long left = px(EditorLayout::kSwitchLeft), top = px(EditorLayout::kSwitchTop);
        return CRect(left, top, left + switchWidth(), top + switchImageHeight());
    }

private:
    double f;
};
