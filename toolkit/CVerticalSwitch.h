#pragma once

#include "toolkit/CControl.h"

// A switch with a fixed number of positions, shown by a strip of stacked
// sub-images. Position k (0 at the top) has value k / (positions - 1).
class CVerticalSwitch : public CControl {
public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                    CCoord heightOfOneImage, long iMaxPositions, CBitmap* background,
                    const CPoint& offset = CPoint());
    CVerticalSwitch(const CVerticalSwitch& other) = default;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;

    // The value a pointer at vertical window position y selects.
    float valueAt(CCoord y) const;
    // The sub-image shown for the current value (nearest position).
    long currentSubImage() const;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CVerticalSwitch(*this); }

private:
    long subPixmaps;
    CCoord heightOfOneImage;
    long iMaxPositions;
    CPoint offset;
};
