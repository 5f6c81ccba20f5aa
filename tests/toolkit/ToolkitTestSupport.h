#pragma once

// Helpers for driving toolkit controls without a window system: a drawing
// context that replays a scripted mouse, a listener and an editor that
// record what reaches them.

#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cairo.h>

#include <string>
#include <vector>

struct MouseSample {
    CPoint where;
    long buttons;
};

// The first sample is the click; each getMouseLocation() moves on to the
// next one, and getMouseButtons() reports the current one. Past the end of
// the script nothing is held.
class ScriptedContext : public CDrawContext {
public:
    ScriptedContext(CFrame* frame, std::vector<MouseSample> script)
        : CDrawContext(frame, frame->getBackBuffer()), samples(std::move(script))
    {
        if (!samples.empty())
            current = samples[0];
    }

    void getMouseLocation(CPoint& where) override
    {
        if (next < samples.size())
            current = samples[next++];
        else
            current.buttons = 0;
        where = current.where;
    }
    long getMouseButtons() override { return current.buttons; }

private:
    std::vector<MouseSample> samples;
    size_t next = 1;
    MouseSample current{CPoint(), 0};
};

// Clicks the view at the first sample with its buttons, then replays the
// rest of the script to its mouse loop.
inline void replayMouse(CView* view, CFrame* frame, const std::vector<MouseSample>& script)
{
    ScriptedContext ctx(frame, script);
    CPoint where = script.front().where;
    view->mouse(&ctx, where, script.front().buttons);
}

// Records every listener call as text, with the values at that moment.
class RecordingListener : public CControlListener {
public:
    void valueChanged(CControl* c) override
    {
        log.push_back("changed " + std::to_string(c->getValue()));
        ++changes;
    }
    long controlModifierClicked(CControl*, long button) override
    {
        log.push_back("modifier " + std::to_string(button));
        return 0;
    }
    void controlBeginEdit(CControl* c) override { log.push_back("begin " + std::to_string(c->getTag())); }
    void controlEndEdit(CControl* c) override { log.push_back("end " + std::to_string(c->getTag())); }

    std::vector<std::string> log;
    int changes = 0;
};

// Stands in for the editor: records edit gestures and runs the frame's
// tracking pass as the real editor does (minus the host).
class RecordingEditor : public VSTGUIEditorInterface {
public:
    void doIdleStuff() override
    {
        if (frame)
            frame->updateWhileTracking();
    }
    void beginEdit(long index) override { edits.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override { edits.push_back("end " + std::to_string(index)); }

    CFrame* frame = nullptr;
    std::vector<std::string> edits;
};

// Reads one pixel of an RGB24/ARGB32 image surface as 0xRRGGBB.
inline unsigned pixelAt(cairo_surface_t* s, int x, int y)
{
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const unsigned*>(row)[x] & 0xffffff;
}

// How many pixels of the rectangle pass the test (given 0xRRGGBB).
template <typename Test> int countPixels(cairo_surface_t* s, const CRect& r, Test test)
{
    int n = 0;
    for (long y = r.top; y < r.bottom; ++y)
        for (long x = r.left; x < r.right; ++x)
            n += test(pixelAt(s, int(x), int(y))) ? 1 : 0;
    return n;
}

// A bitmap filled with one colour, for tests that probe pixels.
inline CBitmap* solidBitmap(long width, long height, unsigned rgb)
{
    CBitmap* b = new CBitmap(width, height);
    cairo_t* cr = cairo_create(b->getSurface());
    cairo_set_source_rgb(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return b;
}
