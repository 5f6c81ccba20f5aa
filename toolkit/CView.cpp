#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <cstring>

CView::CView(const CRect& s) : size(s) {}

CView::CView(const CView& other)
    : CReferenceCounter(other), size(other.size), pBackground(other.pBackground), bDirty(true),
      bMouseEnabled(other.bMouseEnabled), bTransparencyEnabled(other.bTransparencyEnabled)
{
    if (pBackground)
        pBackground->remember();
}

CView::~CView()
{
    if (pBackground)
        pBackground->forget();
}

void CView::draw(CDrawContext* context)
{
    if (pBackground) {
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size);
        else
            pBackground->draw(context, size);
    }
    setDirty(false);
}

void CView::mouse(CDrawContext*, CPoint&, long) {}

void CView::setBackground(CBitmap* background)
{
    if (background)
        background->remember();
    if (pBackground)
        pBackground->forget();
    pBackground = background;
    setDirty();
}

bool CView::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CView") == 0;
}

void CView::getMouseLocation(CDrawContext* context, CPoint& where)
{
    context->getMouseLocation(where);
}

void CView::doIdleStuff()
{
    if (pParentFrame)
        pParentFrame->doIdleStuff();
}
