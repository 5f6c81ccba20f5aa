#include "toolkit/CFrame.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CView.h"
#include "toolkit/PlatformWindow.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <algorithm>

namespace {

const int kTrackingWaitMs = 10;

// Null only when memory is short; the frame then draws nothing.
NativeImage* createBackBuffer(const CRect& size)
{
    return NativeGraphics::createImage(std::max(1L, size.width()), std::max(1L, size.height()), false);
}

} // namespace

CFrame::CFrame(const CRect& s, void* systemWindow, VSTGUIEditorInterface* e)
    : size(0, 0, s.width(), s.height()), editor(e), backBuffer(createBackBuffer(s))
{
    if (systemWindow)
        window = PlatformWindow::open(systemWindow, size.width(), size.height());
    damage = size;
}

CFrame::~CFrame()
{
    for (CView* v : views) {
        v->setParentFrame(nullptr);
        v->forget();
    }
    views.clear();
    if (background)
        background->forget();
    window.reset();
    NativeGraphics::releaseImage(backBuffer);
}

void CFrame::closeWindow()
{
    window.reset();
    exposed = false;
}

void CFrame::setFontScale(double scale)
{
    fontScale = scale;
    invalidate();
}

void CFrame::setBackground(CBitmap* bitmap)
{
    if (bitmap)
        bitmap->remember();
    if (background)
        background->forget();
    background = bitmap;
    invalidate();
}

bool CFrame::addView(CView* view)
{
    if (!view)
        return false;
    view->setParentFrame(this);
    view->setDirty();
    views.push_back(view);
    return true;
}

CView* CFrame::getView(long index) const
{
    return index >= 0 && index < long(views.size()) ? views[size_t(index)] : nullptr;
}

void CFrame::idle()
{
    // A host may call its editor idle from inside audioMasterIdle, that is
    // from inside a control's tracking loop that this idle started.
    if (inIdle)
        return;
    inIdle = true;
    if (window) {
        window->sync();
        takeEvents(true);
    }
    redrawChanged();
    if (clickPending) {
        clickPending = false;
        dispatchClick(clickAt, clickButtons);
        redrawChanged();
    }
    inIdle = false;
}

void CFrame::doIdleStuff()
{
    if (editor)
        editor->doIdleStuff();
    else
        updateWhileTracking();
}

void CFrame::updateWhileTracking()
{
    if (window)
        window->waitForEvents(kTrackingWaitMs);
    // While it waited, the window system may have run the host, and the host
    // may have closed the window.
    if (window)
        takeEvents(false);
    redrawChanged();
}

void CFrame::syncAfterHostIdle()
{
    if (!window)
        return;
    window->sync();
    takeEvents(false);
}

bool CFrame::queryPointer(CPoint& where, long& buttons)
{
    buttons = 0;
    return window && window->queryPointer(where, buttons);
}

void CFrame::beginEdit(long tag)
{
    if (editor)
        editor->beginEdit(tag);
}

void CFrame::endEdit(long tag)
{
    if (editor)
        editor->endEdit(tag);
}

unsigned long CFrame::getWindowId() const
{
    return window ? window->id() : 0;
}

void CFrame::invalidate()
{
    damage = size;
}

// Clicks are taken only outside tracking: one that was queued while a
// control held the mouse would start a second, spurious gesture.
void CFrame::takeEvents(bool acceptClicks)
{
    WindowEvent ev;
    while (window->nextEvent(ev)) {
        if (ev.kind == WindowEvent::kExposed) {
            // The first exposure paints everything; we never drew before it.
            damage.unite(exposed ? ev.area : size);
            if (ev.last)
                exposed = true;
        } else if (ev.kind == WindowEvent::kPressed && acceptClicks && !clickPending) {
            clickPending = true;
            clickAt = ev.where;
            clickButtons = ev.buttons;
        }
    }
}

void CFrame::redrawChanged()
{
    CRect area = damage;
    for (CView* v : views)
        if (v->isDirty())
            area.unite(v->getViewSize());
    damage = CRect();
    area.bound(size);
    if (area.isEmpty())
        return;
    paint(area);
    show(area);
}

void CFrame::paint(const CRect& area)
{
    CDrawContext context(this, backBuffer);
    context.setFontScale(fontScale);
    context.setClipRect(area);
    // Black shows wherever the background bitmap does not reach.
    context.setFillColor(kBlackCColor);
    context.fillRect(size);
    if (background)
        background->draw(&context, size);
    for (CView* v : views)
        if (v->getViewSize().rectOverlap(area) || v->isDirty())
            v->draw(&context);
}

void CFrame::show(const CRect& area)
{
    if (window && exposed && backBuffer && !window->isDestroyed())
        window->blit(backBuffer, area);
}

void CFrame::dispatchClick(const CPoint& where, long buttons)
{
    if (window && window->isDestroyed())
        return;
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CView* v = *it;
        if (!v->getMouseEnabled() || !v->getViewSize().pointInside(where))
            continue;
        CDrawContext context(this, backBuffer);
        context.setFontScale(fontScale);
        CPoint at = where;
        v->mouse(&context, at, buttons);
        return;
    }
}
