#include "tools/capture/WindowCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>

namespace {

// A window that is gone, unmapped or partly off the screen makes the server
// answer with an error, which Xlib's default handler turns into exit():
// such errors on the capture's own connection only make the capture fail.
Display* captureDisplay = nullptr;
bool captureFailed = false;
XErrorHandler outerHandler = nullptr;

int noteCaptureError(Display* d, XErrorEvent* e)
{
    if (d == captureDisplay) {
        captureFailed = true;
        return 0;
    }
    return outerHandler ? outerHandler(d, e) : 0;
}

// Position and width of a colour channel inside an X pixel value.
struct Channel {
    int shift = 0;
    unsigned long max = 1;
    explicit Channel(unsigned long mask)
    {
        if (!mask)
            return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    unsigned int eightBits(unsigned long pixel, unsigned long mask) const
    {
        return unsigned(((pixel & mask) >> shift) * 255 / max);
    }
};

} // namespace

bool captureWindowPng(unsigned long window, const char* path)
{
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    captureDisplay = d;
    captureFailed = false;
    outerHandler = XSetErrorHandler(noteCaptureError);
    bool ok = false;
    XWindowAttributes attr;
    if (XGetWindowAttributes(d, window, &attr) && attr.map_state == IsViewable && attr.width > 0 &&
        attr.height > 0) {
        XImage* img =
            XGetImage(d, window, 0, 0, unsigned(attr.width), unsigned(attr.height), AllPlanes, ZPixmap);
        if (img) {
            const Channel r(img->red_mask), g(img->green_mask), b(img->blue_mask);
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, attr.width, attr.height);
            unsigned char* data = cairo_image_surface_get_data(s);
            const int stride = cairo_image_surface_get_stride(s);
            for (int y = 0; y < attr.height; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
                for (int x = 0; x < attr.width; ++x) {
                    const unsigned long p = XGetPixel(img, x, y);
                    row[x] = (r.eightBits(p, img->red_mask) << 16) | (g.eightBits(p, img->green_mask) << 8) |
                        b.eightBits(p, img->blue_mask);
                }
            }
            cairo_surface_mark_dirty(s);
            ok = cairo_surface_write_to_png(s, path) == CAIRO_STATUS_SUCCESS;
            cairo_surface_destroy(s);
            XDestroyImage(img);
        }
    }
    XSync(d, False);
    XSetErrorHandler(outerHandler);
    XCloseDisplay(d);
    captureDisplay = nullptr;
    return ok && !captureFailed;
}
