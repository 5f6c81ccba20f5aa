#pragma once

#include "toolkit/CRect.h"
#include "toolkit/NativeGraphics.h"

#include <memory>
#include <vector>

class CBitmap;
class CView;
class PlatformWindow;
class VSTGUIEditorInterface;

// The editor's window: a child of the host's window, its background
// bitmap and the views on it, which it owns. All work happens inside the
// host's idle calls (idle, and doIdleStuff while a control tracks the
// mouse); there is no thread.
//
// Drawing goes to a back buffer and is copied to the window. A redraw
// repaints the changed area bottom-up: background, then every view that
// touches the area, in the order they were added, so views that overlap
// (a transparent text over the pad's edge) stay intact.
//
// With no system window (null) the frame still keeps its views and
// back buffer, which is what tests draw into.
class CFrame {
public:
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
    ~CFrame();

    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;

    // True when a window was asked for and could be created.
    bool isOpen() const { return window != nullptr; }
    // Removes the window now; the frame stays usable without one.
    void closeWindow();

    // Scale of the text its views draw; the views' rectangles and bitmaps
    // are already in window pixels at that scale.
    void setFontScale(double scale);
    double getFontScale() const { return fontScale; }

    void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return background; }

    // Takes over the caller's reference to the view.
    bool addView(CView* view);
    long getNbViews() const { return long(views.size()); }
    CView* getView(long index) const;

    // The host's periodic call: handles window events (exposure, clicks,
    // the window's destruction) and redraws what changed.
    void idle();
    // The idle pass a tracking control runs between two pointer polls.
    void doIdleStuff();
    // The window-side half of that pass, used by the editor around the
    // host's own idle: wait briefly, take events, redraw changed views.
    void updateWhileTracking();
    // Catches up with the server after the host had its turn.
    void syncAfterHostIdle();

    // Pointer state for a tracking control; false and no buttons when there
    // is no window any more.
    bool queryPointer(CPoint& where, long& buttons);

    void beginEdit(long tag);
    void endEdit(long tag);
    unsigned long getWindowId() const;

    // Marks the whole frame for repainting at the next idle.
    void invalidate();
    // Repaints the changed area into the back buffer now and shows it.
    void redrawChanged();

    NativeImage* getBackBuffer() const { return backBuffer; }

private:
    void takeEvents(bool acceptClicks);
    void paint(const CRect& area);
    void show(const CRect& area);
    void dispatchClick(const CPoint& where, long buttons);

    CRect size;
    VSTGUIEditorInterface* editor;
    std::unique_ptr<PlatformWindow> window;
    NativeImage* backBuffer;
    CBitmap* background = nullptr;
    std::vector<CView*> views;
    CRect damage; // area to repaint besides the changed views
    bool exposed = false; // the window has been shown; before that we never draw on it
    double fontScale = 1.0;
    bool inIdle = false;
    bool clickPending = false;
    CPoint clickAt;
    long clickButtons = 0;
};
