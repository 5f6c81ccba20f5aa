#include "toolkit/CControl.h"

#include "toolkit/CButton.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"

#include <cstring>

CControl::CControl(const CRect& size, CControlListener* l, long t, CBitmap* background)
    : CView(size), listener(l), tag(t)
{
    if (background)
        setBackground(background);
}

bool CControl::isDirty() const
{
    return oldValue != value || CView::isDirty();
}

void CControl::setDirty(bool val)
{
    CView::setDirty(val);
    // Clean means drawn: the value drawn becomes the one to compare with.
    if (!val)
        oldValue = value;
}

void CControl::beginEdit()
{
    if (listener)
        listener->controlBeginEdit(this);
    if (pParentFrame)
        pParentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (pParentFrame)
        pParentFrame->endEdit(tag);
    if (listener)
        listener->controlEndEdit(this);
}

bool CControl::checkDefaultValue(long button)
{
    if (button != (kControl | kLButton))
        return false;
    beginEdit();
    value = getDefaultValue();
    if (isDirty() && listener)
        listener->valueChanged(this);
    endEdit();
    return true;
}

bool CControl::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CControl") == 0 || CView::isTypeOf(type);
}
