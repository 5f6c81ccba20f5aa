#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/CBitmap.h"
#include "toolkit/ResourceBundle.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> pngOfSize(int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(
        s,
        [](void* out, const unsigned char* data, unsigned int n) {
            auto* v = static_cast<std::vector<unsigned char>*>(out);
            v->insert(v->end(), data, data + n);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(s);
    return bytes;
}

struct ResourceFixture : ::testing::Test {
    ~ResourceFixture() override { ResourceBundle::install(nullptr, 0); }
};

TEST_F(ResourceFixture, MissingResourceIsAnEmptyBitmapThatDrawsNothing)
{
    ResourceBundle::install(nullptr, 0);
    CBitmap* b = new CBitmap(CResourceDescription(131));
    EXPECT_EQ(b->getWidth(), 0);
    EXPECT_EQ(b->getHeight(), 0);
    EXPECT_FALSE(b->isLoaded());
    CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
    CDrawContext ctx(&frame, frame.getBackBuffer());
    b->draw(&ctx, CRect(0, 0, 10, 10)); // must not crash
    b->forget();
}

TEST_F(ResourceFixture, EmbeddedFilesAreFoundByNumberAndOnlyPngCounts)
{
    const auto png = pngOfSize(7, 5);
    const auto other = pngOfSize(3, 3);
    const EmbeddedResource table[] = {
        {"bmp00135.bmp", other.data(), other.size()},
        {"bmp00135.png", png.data(), png.size()},
        {"bmp00136.jpg", other.data(), other.size()},
        {"bmp00137.png", png.data(), 10}, // truncated: cannot be decoded
    };
    ResourceBundle::install(table, 4);
    CBitmap* found = new CBitmap(CResourceDescription(135));
    EXPECT_EQ(found->getWidth(), 7);
    EXPECT_EQ(found->getHeight(), 5);
    CBitmap* notPng = new CBitmap(CResourceDescription(136));
    EXPECT_EQ(notPng->getWidth(), 0);
    CBitmap* broken = new CBitmap(CResourceDescription(137));
    EXPECT_FALSE(broken->isLoaded());
    found->forget();
    notPng->forget();
    broken->forget();
}

TEST_F(ResourceFixture, FolderBesideTheBinaryOverridesEmbeddedFiles)
{
    const auto png = pngOfSize(7, 5);
    const EmbeddedResource table[] = {{"bmp00990.png", png.data(), png.size()}};
    ResourceBundle::install(table, 1);
    const std::string dir = ResourceBundle::overrideDirectory();
    ASSERT_FALSE(dir.empty());
    ::mkdir(dir.c_str(), 0755);
    const std::string file = dir + "/bmp00990.png";
    const auto bigger = pngOfSize(11, 13);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bigger.data()), bigger.size());

    CBitmap* b = new CBitmap(CResourceDescription(990));
    EXPECT_EQ(b->getWidth(), 11);
    EXPECT_EQ(b->getHeight(), 13);
    b->forget();
    std::remove(file.c_str());
    ::rmdir(dir.c_str());
}

// A view that paints its rectangle in one colour and counts its draws.
struct PaintedView : CView {
    PaintedView(const CRect& r, unsigned rgb) : CView(r), colour(rgb) {}
    void draw(CDrawContext* ctx) override
    {
        ctx->setFillColor(MakeCColor((colour >> 16) & 255, (colour >> 8) & 255, colour & 255));
        ctx->fillRect(size);
        ++draws;
        setDirty(false);
    }
    unsigned colour;
    int draws = 0;
};

TEST(Frame, RepaintsOverlappingViewsBottomUp)
{
    CFrame frame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto* below = new PaintedView(CRect(10, 10, 60, 60), 0x00ff00);
    auto* above = new PaintedView(CRect(50, 50, 90, 90), 0xff0000);
    auto* apart = new PaintedView(CRect(0, 90, 10, 100), 0x0000ff);
    frame.addView(below);
    frame.addView(above);
    frame.addView(apart);
    frame.redrawChanged();
    EXPECT_EQ(pixelAt(frame.getBackBuffer(), 55, 55), 0xff0000u);

    // Only the lower view changes: the upper one is painted again over it,
    // the unrelated one is left alone.
    below->setDirty();
    frame.redrawChanged();
    EXPECT_EQ(pixelAt(frame.getBackBuffer(), 55, 55), 0xff0000u);
    EXPECT_EQ(pixelAt(frame.getBackBuffer(), 20, 20), 0x00ff00u);
    EXPECT_EQ(above->draws, 2);
    EXPECT_EQ(apart->draws, 1);

    // Nothing changed, nothing drawn.
    frame.redrawChanged();
    EXPECT_EQ(below->draws, 2);
}

} // namespace
