#include "tools/demo/DemoPicture.h"
#include "dsp/Angles.h"

#include "tools/demo/DemoScene.h"
#include "tools/HostError.h"
#include "tools/binaural/RingDecode.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 560;
constexpr int kMargin = 40;
constexpr double kMapSize = 480.0; // pixels for the 8 m square of the top view
constexpr double kMapMetres = 4.0; // half the square's side
constexpr double kHeatLeft = 600.0;
constexpr double kHeatWidth = 560.0;
constexpr double kHeatTop = 60.0;
constexpr double kRowHeight = 56.0;
constexpr double kFloorDb = -40.0;
constexpr size_t kW = 0;

double speakerAngle(int k)
{
    return 2.0 * kPi * k / DemoPicture::kSpeakers;
}

// Black through blue and orange to white, for 0..1.
void heatColour(cairo_t* cr, double level)
{
    const double t = std::clamp(level, 0.0, 1.0);
    const double r = std::clamp(2.0 * t - 0.5, 0.0, 1.0);
    const double g = std::clamp(2.0 * t - 1.0, 0.0, 1.0) * 0.9 + 0.1 * t;
    const double b =
        t < 0.5 ? 2.0 * t : std::clamp(2.0 - 2.0 * t, 0.0, 1.0) * 0.6 + std::clamp(4.0 * t - 3.0, 0.0, 1.0);
    cairo_set_source_rgb(cr, r, g, b);
}

void text(cairo_t* cr, double x, double y, const char* words, double size = 13.0)
{
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, words);
    cairo_new_path(cr);
}

// Top view: front (x) up, left (y) to the left.
void toScreen(double x, double y, double& sx, double& sy)
{
    const double scale = kMapSize / (2.0 * kMapMetres);
    sx = kMargin + kMapSize / 2.0 - y * scale;
    sy = kMargin + 20.0 + kMapSize / 2.0 - x * scale;
}

void drawTopView(cairo_t* cr)
{
    double cx, cy;
    toScreen(0.0, 0.0, cx, cy);
    const double scale = kMapSize / (2.0 * kMapMetres);
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
    text(cr, kMargin, kMargin, "Source path, seen from above (front is up)", 15.0);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
    cairo_arc(cr, cx, cy, 4.0 * scale, 0, 2 * kPi);
    cairo_stroke(cr);
    const double dash[] = {4.0, 4.0};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_arc(cr, cx, cy, DemoScene::kCompensationMetres * scale, 0, 2 * kPi);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    text(cr, cx + 0.75 * DemoScene::kCompensationMetres * scale + 8,
         cy + 0.75 * DemoScene::kCompensationMetres * scale + 14, "loudspeaker ring, 2 m", 11.0);
    for (int k = 0; k < DemoPicture::kSpeakers; ++k) {
        double sx, sy;
        toScreen(DemoScene::kCompensationMetres * std::cos(speakerAngle(k)),
                 DemoScene::kCompensationMetres * std::sin(speakerAngle(k)), sx, sy);
        cairo_rectangle(cr, sx - 5, sy - 5, 10, 10);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, cx, cy, 4, 0, 2 * kPi);
    cairo_fill(cr);

    const double duration = DemoScene::durationSeconds();
    const int steps = 600;
    cairo_set_line_width(cr, 3.0);
    for (int i = 0; i < steps; ++i) {
        const double t0 = duration * i / steps, t1 = duration * (i + 1) / steps;
        const auto a = DemoScene::positionAt(t0), b = DemoScene::positionAt(t1);
        double ax, ay, bx, by;
        toScreen(a.x, a.y, ax, ay);
        toScreen(b.x, b.y, bx, by);
        heatColour(cr, 0.35 + 0.65 * t0 / duration);
        cairo_move_to(cr, ax, ay);
        cairo_line_to(cr, bx, by);
        cairo_stroke(cr);
    }
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    for (int second = 0; second <= static_cast<int>(duration); second += 2) {
        if (second == static_cast<int>(DemoScene::kCircleSeconds))
            continue; // back where it started: the "0 s" label says it
        const auto p = DemoScene::positionAt(second);
        double sx, sy;
        toScreen(p.x, p.y, sx, sy);
        char label[16];
        std::snprintf(label, sizeof label, "%d s", second);
        cairo_arc(cr, sx, sy, 3, 0, 2 * kPi);
        cairo_fill(cr);
        text(cr, sx + 6, sy - 6, label, 11.0);
    }
}

void drawLevels(cairo_t* cr, const std::vector<std::vector<double>>& levels)
{
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
    text(cr, kHeatLeft, kMargin, "Level at each of eight loudspeakers over time (dB)", 15.0);
    const size_t columns = levels[0].size();
    const double columnWidth = kHeatWidth / static_cast<double>(columns);
    for (int k = 0; k < DemoPicture::kSpeakers; ++k) {
        for (size_t c = 0; c < columns; ++c) {
            heatColour(cr, (levels[k][c] - kFloorDb) / -kFloorDb);
            cairo_rectangle(cr, kHeatLeft + c * columnWidth, kHeatTop + k * kRowHeight, columnWidth + 0.5,
                            kRowHeight - 2);
            cairo_fill(cr);
        }
        char label[16];
        std::snprintf(label, sizeof label, "%d°", k * 360 / DemoPicture::kSpeakers);
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        text(cr, kHeatLeft - 38, kHeatTop + k * kRowHeight + kRowHeight / 2 + 4, label);
    }
    const double bottom = kHeatTop + DemoPicture::kSpeakers * kRowHeight;
    const double duration = DemoScene::durationSeconds();
    for (int second = 0; second <= static_cast<int>(duration); second += 2) {
        char label[16];
        std::snprintf(label, sizeof label, "%d s", second);
        text(cr, kHeatLeft + kHeatWidth * second / duration - 8, bottom + 16, label, 11.0);
    }
    text(cr, kHeatLeft, bottom + 40,
         "speaker angles counter-clockwise from the front (90° is left); 0 dB is the loudest moment", 11.0);
}

} // namespace

std::vector<std::vector<double>> DemoPicture::speakerLevels(const std::vector<std::vector<float>>& bFormat,
                                                            int columns, size_t window)
{
    const size_t frames = bFormat[kW].size();
    // Running sums of each speaker's power, so that every column can average
    // over a window centred on it.
    std::vector<std::vector<double>> sums(kSpeakers, std::vector<double>(frames + 1, 0.0));
    for (int k = 0; k < kSpeakers; ++k) {
        const auto gains = RingDecode::gains(speakerAngle(k), kSpeakers, RingDecode::Weighting::Basic);
        for (size_t i = 0; i < frames; ++i) {
            double s = 0.0;
            for (size_t c = 0; c < gains.size(); ++c)
                s += gains[c] * bFormat[c][i];
            sums[k][i + 1] = sums[k][i] + s * s;
        }
    }
    std::vector<std::vector<double>> power(kSpeakers, std::vector<double>(columns, 0.0));
    double loudest = 1e-30;
    for (int c = 0; c < columns; ++c) {
        const size_t centre = frames * (2 * c + 1) / (2 * columns);
        const size_t begin = centre > window / 2 ? centre - window / 2 : 0;
        const size_t end = std::min(frames, begin + window);
        for (int k = 0; k < kSpeakers; ++k) {
            power[k][c] =
                end > begin ? (sums[k][end] - sums[k][begin]) / static_cast<double>(end - begin) : 0.0;
            loudest = std::max(loudest, power[k][c]);
        }
    }
    std::vector<std::vector<double>> levels(kSpeakers, std::vector<double>(columns));
    for (int k = 0; k < kSpeakers; ++k)
        for (int c = 0; c < columns; ++c)
            levels[k][c] = std::max(kFloorDb, 10.0 * std::log10(power[k][c] / loudest + 1e-30));
    return levels;
}

void DemoPicture::write(const std::string& path, const std::vector<std::vector<float>>& bFormat)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    drawTopView(cr);
    // A quarter-second window holds one note of the source, so the picture
    // shows where the sound goes rather than the rhythm.
    const size_t window = DemoScene::kSampleRate / 4;
    drawLevels(cr, speakerLevels(bFormat, static_cast<int>(kHeatWidth / 2), window));
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw HostError("cannot write the picture: " + std::string(cairo_status_to_string(status)));
}
