// Draws the editor's four bitmaps with cairo and writes them as PNG files
// plus one C++ source that embeds their bytes, so that the plug-in ships as
// a single shared object. Runs at build time; the output depends only on
// this file and the installed fonts.
//
// usage: velmora_bitmapgen OUTPUT_DIR

#include "dsp/Angles.h"
#include "resources/EditorLayout.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

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

void drawBackground(cairo_t* cr)
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

    text(cr, 16, kWindowHeight - 10, 9, "W X Y U V P Q  \xc2\xb7  Furse-Malham", kDimText);
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

// One sub-image of the switch strip: position k of kSwitchPositions, 0 at
// the top.
void drawSwitchPosition(cairo_t* cr, int k)
{
    using namespace EditorLayout;
    const double w = kSwitchWidth;
    const double h = kSwitchImageHeight;
    const double knobH = 12;
    const double travel = h - 4 - knobH;
    const double knobTop = 2 + travel * k / (kSwitchPositions - 1);

    cairo_save(cr);
    cairo_translate(cr, 0, k * h);
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

void drawSwitchStrip(cairo_t* cr)
{
    for (int k = 0; k < EditorLayout::kSwitchPositions; ++k)
        drawSwitchPosition(cr, k);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<Bytes*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

struct Bitmap {
    int number;
    int width, height;
    cairo_format_t format;
    void (*paint)(cairo_t*);
};

Bytes render(const Bitmap& b)
{
    cairo_surface_t* s = cairo_image_surface_create(b.format, b.width, b.height);
    cairo_t* cr = cairo_create(s);
    b.paint(cr);
    cairo_destroy(cr);
    Bytes png;
    cairo_surface_write_to_png_stream(s, appendBytes, &png);
    cairo_surface_destroy(s);
    return png;
}

bool writeFile(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

std::string pngName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "bmp%05d.png", number);
    return name;
}

// The embedding source: one byte array per bitmap and a table that the
// toolkit's resource lookup reads.
std::string embeddingSource(const std::vector<std::pair<int, Bytes>>& files)
{
    std::string src = "// Generated by velmora_bitmapgen at build time. Do not edit.\n"
                      "#include \"resources/EditorBitmaps.h\"\n\n"
                      "namespace {\n";
    for (const auto& [number, bytes] : files) {
        src += "const unsigned char bmp" + std::to_string(number) + "[] = {";
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i % 20 == 0)
                src += "\n ";
            src += std::to_string(bytes[i]) + ",";
        }
        src += "\n};\n";
    }
    src += "const EmbeddedResource table[] = {\n";
    for (const auto& [number, bytes] : files) {
        src += "  {\"" + pngName(number) + "\", bmp" + std::to_string(number) + ", " +
            std::to_string(bytes.size()) + "},\n";
    }
    src += "};\n}  // namespace\n\n"
           "void installEditorBitmaps() {\n"
           "  ResourceBundle::install(table, sizeof table / sizeof table[0]);\n"
           "}\n";
    return src;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    using namespace EditorLayout;
    const std::string dir = argv[1];
    const Bitmap bitmaps[] = {
        {kBackgroundBitmap, kWindowWidth, kWindowHeight, CAIRO_FORMAT_RGB24, drawBackground},
        {kSwitchBitmap, kSwitchWidth, kSwitchImageHeight * kSwitchPositions, CAIRO_FORMAT_RGB24,
         drawSwitchStrip},
        {kPadBitmap, kPadSize, kPadSize, CAIRO_FORMAT_RGB24, drawPad},
        {kHandleBitmap, kHandleSize, kHandleSize, CAIRO_FORMAT_ARGB32, drawHandle},
    };
    std::vector<std::pair<int, Bytes>> files;
    for (const Bitmap& b : bitmaps) {
        Bytes png = render(b);
        if (png.empty() || !writeFile(dir + "/" + pngName(b.number), png.data(), png.size())) {
            std::fprintf(stderr, "velmora_bitmapgen: cannot write %s\n", pngName(b.number).c_str());
            return 1;
        }
        files.emplace_back(b.number, std::move(png));
    }
    const std::string src = embeddingSource(files);
    if (!writeFile(dir + "/EditorBitmaps.cpp", src.data(), src.size())) {
        std::fprintf(stderr, "velmora_bitmapgen: cannot write EditorBitmaps.cpp\n");
        return 1;
    }
    return 0;
}
