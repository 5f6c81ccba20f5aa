#pragma once

#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

class CBitmap;
class CDrawContext;
class CFrame;

// Something drawn in a rectangle of the frame. Views are reference-counted;
// the frame holds the reference of every view added to it.
class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);
    CView(const CView& other);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    // Old-style modal mouse entry: a control that tracks a drag loops here,
    // polling the context, until the gesture ends.
    virtual void mouse(CDrawContext* context, CPoint& where, long buttons = -1);

    virtual bool isDirty() const { return bDirty; }
    virtual void setDirty(bool val = true) { bDirty = val; }

    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return pBackground; }

    virtual void setTransparency(bool val) { bTransparencyEnabled = val; }
    bool getTransparency() const { return bTransparencyEnabled; }

    virtual void setMouseEnabled(bool enable) { bMouseEnabled = enable; }
    bool getMouseEnabled() const { return bMouseEnabled; }

    const CRect& getViewSize() const { return size; }

    virtual bool isTypeOf(const char* type) const;
    virtual CView* newCopy() const { return new CView(*this); }

    void setParentFrame(CFrame* frame) { pParentFrame = frame; }

protected:
    // Pointer position during a drag, in window pixels.
    void getMouseLocation(CDrawContext* context, CPoint& where);
    // One idle pass of the frame while a control holds the mouse: redraws
    // changed controls and lets the host idle.
    void doIdleStuff();

    CRect size;
    CFrame* pParentFrame = nullptr;
    CBitmap* pBackground = nullptr;
    bool bDirty = true;
    bool bMouseEnabled = true;
    bool bTransparencyEnabled = false;
};
