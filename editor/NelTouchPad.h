#pragma once

#include "toolkit/CControl.h"

class CBitmap;
class CDrawContext;

// A two-dimensional control: a handle bitmap dragged over a background
// bitmap. x runs from 0 at the left to 1 at the right, y from 0 at the top
// to 1 at the bottom; the control's single value is their mean, which is
// what the toolkit's change detection compares.
//
// A pad without a handle bitmap draws no handle and ignores clicks. On an
// axis the handle fills (or overfills), the handle cannot move and the
// value derived from the mouse stays 0.5.
class NelTouchPad : public CControl {
public:
    NelTouchPad(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
                const CPoint& offset);
    NelTouchPad(const NelTouchPad& other);
    ~NelTouchPad() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;

    virtual void drawHandle(CDrawContext* context);
    // Handle's top-left corner, in window pixels, for the current values.
    virtual void valueToPoint(CPoint& point) const;
    // Sets both values from a point that stands for the handle's centre,
    // clamped to the pad; returns their mean.
    virtual float valueFromPoint(CPoint& point);
    virtual void setHandleBitmap(CBitmap* bitmap);
    virtual float getXValue() const { return xValue; }
    virtual float getYValue() const { return yValue; }
    // Stores both values without drawing or notifying anyone; the pad is
    // redrawn at the next idle when either value changed.
    virtual void setXYValue(float x, float y);

    // Where the handle was last drawn; the hit test uses this.
    const CPoint& getHandlePosition() const { return handlePosition; }
    CBitmap* getHandleBitmap() const { return handleBitmap; }

protected:
    CPoint offset;
    CPoint handlePosition;
    CBitmap* handleBitmap = nullptr;
    float xValue = 0.5f;
    float yValue = 0.5f;

private:
    long handleWidth() const;
    long handleHeight() const;
    bool hitsHandle(const CPoint& where) const;
    void resetToDefault();
    void track(CDrawContext* context, CPoint& where);
};
