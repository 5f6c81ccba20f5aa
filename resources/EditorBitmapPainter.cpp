#include "resources/EditorBitmapPainter.h"

#include "dsp/Angles.h"

#include <cairo.h>

#include <cmath>

namespace {

struct Rgb {
    double r, g, b;
};

const Rgb kPanelTop{0.145, 0.169, 0.200};
const Rgb kPanelBottom{0.071, 0.086, 0.106};
const Rgb kAccent{28 / 255.0, 174 / 255.0, 1.0};
const Rgb kText{0.86, 0.89, 0.92};
const Rgb kDimText{0.52, 0.57, 0.63};
const Rgb kField{0.043, 0.063, 0.082};
const Rgb kGrid{0.20, 0.28, 0.34};

const char* const kFontFace = "Sans";

void setColour(cairo_t* cr, const Rgb& c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void text(cairo_t* cr, double x, double y, double size, const char* s, const Rgb& c, bool bold = false,
          bool centred = false)
{
    cairo_select_font_face(cr, kFontFace, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    if (centred) {
        cairo_text_extents_t ext;
        cairo_text_extents(cr, s, &ext);
        x -= ext.x_advance / 2.0;
    }
    setColour(cr, c);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, s);
}

// A caption on the pad's field: the rings and axes beneath it are cleared
// first so that no line runs through the letters.
void fieldLabel(cairo_t* cr, double x, double y, const char* s, bool centred)
{
    const double size = 7.5;
    const double pad = 1.0;
    cairo_select_font_face(cr, kFontFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s, &ext);
    const double left = centred ? x - ext.x_advance / 2.0 : x;
    setColour(cr, kField);
    cairo_rectangle(cr, left + ext.x_bearing - pad, y + ext.y_bearing - pad, ext.width + 2 * pad,
                    ext.height + 2 * pad);
    cairo_fill(cr);
    text(cr, x, y, size, s, kDimText, false, centred);
}

// A recessed frame around a rectangle given in window pixels (right and
// bottom exclusive): dark above and left, light below and right.
void insetFrame(cairo_t* cr, int left, int top, int right, int bottom)
{
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_move_to(cr, left - 1.5, bottom + 0.5);
    cairo_line_to(cr, left - 1.5, top - 1.5);
    cairo_line_to(cr, right + 0.5, top - 1.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_move_to(cr, right + 0.5, top - 1.5);
    cairo_line_to(cr, right + 0.5, bottom + 0.5);
    cairo_line_to(cr, left - 1.5, bottom + 0.5);
    cairo_stroke(cr);
}

// The line at the foot of the window that names the output convention.
const char* footerFor(long number)
{
    return number == EditorLayout::kAmbiXBackgroundBitmap ? "ACN 0..15  \xc2\xb7  SN3D (AmbiX)"
                                                          : "W X Y U V P Q  \xc2\xb7  Furse-Malham";
}

void drawBackground(cairo_t* cr, const char* footer)
{
    using namespace EditorLayout;
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, 0, 0, kWindowHeight);
    cairo_pattern_add_color_stop_rgb(grad, 0, kPanelTop.r, kPanelTop.g, kPanelTop.b);
    cairo_pattern_add_color_stop_rgb(grad, 1, kPanelBottom.r, kPanelBottom.g, kPanelBottom.b);
    cairo_set_source(cr, grad);
    cairo_paint(cr);
    cairo_pattern_destroy(grad);

    // Title band with an accent rule underneath.
    text(cr, 16, 30, 16, "Corvane Velmora XY 3 - 2d", kText, true);
    text(cr, 16, 48, 10, "horizontal third-order Ambisonic encoder", kDimText);
    setColour(cr, kAccent, 0.8);
    cairo_rectangle(cr, 16, 56, kWindowWidth - 32, 1);
    cairo_fill(cr);

    insetFrame(cr, kPadLeft, kPadTop, kPadRight, kPadBottom);
    insetFrame(cr, kSwitchLeft, kSwitchTop, kSwitchRight, kSwitchBottom);

    // Captions beside the coordinate displays and above the switch.
    text(cr, 294, 89, 11, "x", kAccent, true);
    text(cr, 294, 124, 11, "y", kAccent, true);
    text(cr, 264, 166, 9, "x: front", kDimText);
    text(cr, 264, 179, 9, "y: left", kDimText);
    text(cr, 62, 71, 9, "NFC", kDimText, true, true);
    text(cr, 62, 210, 9, "radius", kDimText, false, true);

    text(cr, 16, kWindowHeight - 10, 9, footer, kDimText);
    text(cr, kWindowWidth - 16 - 44, kWindowHeight - 10, 9, "CorVane", kDimText, true);
}

void drawPad(cairo_t* cr)
{
    using namespace EditorLayout;
    const double size = kPadSize;
    const double c = size / 2.0;
    // The handle's centre travels over the pad less half a handle on each
    // side, so that is where the 4 m circle belongs.
    const double r4 = (size - kHandleSize) / 2.0;

    setColour(cr, kField);
    cairo_paint(cr);

    cairo_pattern_t* glow = cairo_pattern_create_radial(c, c, 0, c, c, r4);
    cairo_pattern_add_color_stop_rgba(glow, 0, kAccent.r, kAccent.g, kAccent.b, 0.16);
    cairo_pattern_add_color_stop_rgba(glow, 1, kAccent.r, kAccent.g, kAccent.b, 0.03);
    cairo_arc(cr, c, c, r4, 0, kTwoPi);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);

    cairo_set_line_width(cr, 1.0);
    for (int metres = 1; metres <= 4; ++metres) {
        setColour(cr, kGrid, metres == 4 ? 1.0 : 0.7);
        cairo_arc(cr, c, c, r4 * metres / 4.0, 0, kTwoPi);
        cairo_stroke(cr);
    }
    setColour(cr, kGrid, 0.7);
    cairo_move_to(cr, c, c - r4);
    cairo_line_to(cr, c, c + r4);
    cairo_move_to(cr, c - r4, c);
    cairo_line_to(cr, c + r4, c);
    cairo_stroke(cr);

    // Eight loudspeakers on a 3 m ring, the front one at the top.
    const double ring = r4 * 0.75;
    for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4.0;
        const double x = c + ring * std::sin(a);
        const double y = c - ring * std::cos(a);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, a);
        cairo_rectangle(cr, -3, -2, 6, 4);
        setColour(cr, i == 0 ? kAccent : kDimText, 0.9);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    fieldLabel(cr, c, 9, "front", true);
    fieldLabel(cr, 3, c - 3, "left", false);
}

void drawHandle(cairo_t* cr)
{
    using namespace EditorLayout;
    const double c = kHandleSize / 2.0;
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_arc(cr, c, c, c - 0.5, 0, kTwoPi);
    setColour(cr, kAccent, 0.35);
    cairo_fill(cr);
    cairo_arc(cr, c, c, c - 2.5, 0, kTwoPi);
    setColour(cr, kAccent);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_stroke(cr);
}

// One sub-image of the switch strip, drawn at its origin: position k of
// kSwitchPositions, 0 at the top.
void drawSwitchPosition(cairo_t* cr, int k)
{
    using namespace EditorLayout;
    const double w = kSwitchWidth;
    const double h = kSwitchImageHeight;
    const double knobH = 12;
    const double travel = h - 4 - knobH;
    const double knobTop = 2 + travel * k / (kSwitchPositions - 1);

    cairo_save(cr);
    setColour(cr, kField);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);

    setColour(cr, kGrid);
    for (int t = 0; t <= 6; ++t) {
        const double y = std::floor(2 + knobH / 2 + travel * t / 6.0) + 0.5;
        cairo_move_to(cr, 1, y);
        cairo_line_to(cr, 5, y);
        cairo_move_to(cr, w - 5, y);
        cairo_line_to(cr, w - 1, y);
    }
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    cairo_rectangle(cr, w / 2 - 1.5, 4, 3, h - 8);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    setColour(cr, kAccent, 0.6);
    cairo_rectangle(cr, w / 2 - 0.5, knobTop + knobH / 2, 1, h - 4 - knobTop - knobH / 2);
    cairo_fill(cr);

    cairo_pattern_t* knob = cairo_pattern_create_linear(0, knobTop, 0, knobTop + knobH);
    cairo_pattern_add_color_stop_rgb(knob, 0, 0.82, 0.85, 0.88);
    cairo_pattern_add_color_stop_rgb(knob, 1, 0.45, 0.49, 0.54);
    cairo_rectangle(cr, 4, knobTop, w - 8, knobH);
    cairo_set_source(cr, knob);
    cairo_fill(cr);
    cairo_pattern_destroy(knob);
    setColour(cr, kAccent);
    cairo_rectangle(cr, 5, knobTop + knobH / 2 - 1, w - 10, 2);
    cairo_fill(cr);
    cairo_restore(cr);
}

// Each sub-image starts on a whole pixel of the strip, even where the
// factor makes its height a rounded one, so the switch's offsets (multiples
// of the scaled height) always land on a sub-image's top.
void drawSwitchStrip(cairo_t* cr, const ScaledLayout& layout)
{
    const long width = layout.switchWidth();
    const long height = layout.switchImageHeight();
    for (int k = 0; k < EditorLayout::kSwitchPositions; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 0, double(k * height));
        // Rounding may leave an edge row the scaled drawing does not reach.
        setColour(cr, kField);
        cairo_rectangle(cr, 0, 0, double(width), double(height));
        cairo_fill(cr);
        cairo_scale(cr, layout.factor(), layout.factor());
        drawSwitchPosition(cr, k);
        cairo_restore(cr);
    }
}

} // namespace

bool EditorBitmapPainter::size(long number, const ScaledLayout& layout, long& width, long& height)
{
    using namespace EditorLayout;
    switch (number) {
    case kBackgroundBitmap:
    case kAmbiXBackgroundBitmap:
        width = layout.windowWidth();
        height = layout.windowHeight();
        return true;
    case kSwitchBitmap:
        width = layout.switchWidth();
        height = layout.switchImageHeight() * kSwitchPositions;
        return true;
    case kPadBitmap: width = height = layout.padSize(); return true;
    case kHandleBitmap: width = height = layout.handleSize(); return true;
    default: return false;
    }
}

bool EditorBitmapPainter::hasAlpha(long number)
{
    return number == EditorLayout::kHandleBitmap;
}

void EditorBitmapPainter::draw(cairo_t* cr, long number, const ScaledLayout& layout)
{
    using namespace EditorLayout;
    cairo_save(cr);
    if (number == kSwitchBitmap) {
        drawSwitchStrip(cr, layout);
    } else {
        // The drawings are written in design pixels.
        cairo_scale(cr, layout.factor(), layout.factor());
        switch (number) {
        case kBackgroundBitmap:
        case kAmbiXBackgroundBitmap: drawBackground(cr, footerFor(number)); break;
        case kPadBitmap: drawPad(cr); break;
        case kHandleBitmap: drawHandle(cr); break;
        default: break;
        }
    }
    cairo_restore(cr);
}

cairo_surface_t* EditorBitmapPainter::paint(long number, const ScaledLayout& layout)
{
    long width = 0, height = 0;
    if (!size(number, layout, width, height))
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(
        hasAlpha(number) ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, int(width), int(height));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_t* cr = cairo_create(s);
    draw(cr, number, layout);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    return s;
}
