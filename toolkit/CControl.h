#pragma once

#include "toolkit/CView.h"

class CControlListener;

// A view with one value (nominally 0..1) that the user changes. A control
// counts as changed, and is redrawn at the next idle, when its value
// differs from the value it had when last drawn (the old value) or when
// it is marked dirty.
class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl& other) = default;

    virtual void setValue(float val) { value = val; }
    virtual float getValue() const { return value; }
    virtual float getOldValue() const { return oldValue; }
    virtual float getDefaultValue() const { return defaultValue; }
    long getTag() const { return tag; }

    bool isDirty() const override;
    void setDirty(bool val = true) override;

    // Start and end of a user gesture: told to the listener and, through the
    // frame, to the editor (which tells the host) with this control's tag.
    virtual void beginEdit();
    virtual void endEdit();

    // A Command-click (left button + kControl, nothing else) resets the
    // value to the default as one whole gesture; true if it did.
    virtual bool checkDefaultValue(long button);

    bool isTypeOf(const char* type) const override;

protected:
    CControlListener* listener;
    long tag;
    float oldValue = 1.f;
    float defaultValue = 0.5f;
    float value = 0.f;
};
