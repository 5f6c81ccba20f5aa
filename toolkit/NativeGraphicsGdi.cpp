// NativeGraphics on GDI: the Windows build's images and drawing.
//
// GDI because it is in every Windows and behaves the same under wine, where
// the plug-in is tested: an image is a 32-bit top-down DIB section, which
// has exactly the pixel layout of a cairo ARGB32 surface; BitBlt copies,
// AlphaBlend (msimg32) lays a premultiplied image over another, and
// DrawText-style text is antialiased in greyscale. Direct2D drew nothing
// into DIBs under wine, and GDI+ draws no text at all when a font is
// missing. PNGs are decoded with WIC (windowscodecs), also part of Windows.
#include "toolkit/NativeGraphics.h"

#include "toolkit/GdiImage.h"

#include <wincodec.h>

#include <cmath>
#include <cstring>
#include <string>

// A drawing session on an image's own context: its clip and selections
// are put back as they were when the session ends, so sessions may nest.
struct GdiCanvas {
    HDC dc = nullptr;
    int savedState = 0;
};

namespace {

// Tahoma is in every Windows since 2000 and made for small sizes; the
// editor's texts are 10 pixels to the em at factor 1.
const wchar_t* const kFontFace = L"Tahoma";

std::wstring wide(const char* utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
    out.resize(size_t(n - 1));
    return out;
}

std::string utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(size_t(n - 1));
    return out;
}

RECT toRect(const CRect& r)
{
    return RECT{LONG(r.left), LONG(r.top), LONG(r.right), LONG(r.bottom)};
}

// COM for the length of one decode, in whatever mode the calling thread
// already has: a host thread that initialised COM differently (the call
// answers RPC_E_CHANGED_MODE) keeps its own, and is not uninitialised.
class ComUse {
public:
    ComUse() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComUse()
    {
        if (SUCCEEDED(result))
            CoUninitialize();
    }
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;

private:
    HRESULT result;
};

template <typename T> void release(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

// The first frame of whatever the decoder holds, as premultiplied BGRA.
GdiImage* convertFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder)
{
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    GdiImage* image = nullptr;
    UINT w = 0, h = 0;
    if (SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                        0.0, WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&w, &h)) && w > 0 && h > 0 && w < 32768 && h < 32768) {
        image = NativeGraphics::createImage(long(w), long(h), true);
        if (image && FAILED(converter->CopyPixels(nullptr, w * 4, w * 4 * h, image->bits))) {
            NativeGraphics::releaseImage(image);
            image = nullptr;
        }
    }
    release(converter);
    release(frame);
    return image;
}

// Decodes with a decoder that open() makes from the factory.
template <typename Open> GdiImage* decode(Open open)
{
    ComUse com;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    GdiImage* image = nullptr;
    if (IWICBitmapDecoder* decoder = open(factory)) {
        image = convertFrame(factory, decoder);
        decoder->Release();
    }
    factory->Release();
    return image;
}

} // namespace

void GdiImage::copyTo(HDC target, const RECT& area) const
{
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left, area.top,
           SRCCOPY);
}

NativeImage* NativeGraphics::createImage(long width, long height, bool)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = LONG(width);
    info.bmiHeader.biHeight = -LONG(height); // top-down, as cairo's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap)
            DeleteObject(bitmap);
        return nullptr;
    }
    // Black, and where alpha counts fully transparent.
    std::memset(bits, 0, size_t(width) * size_t(height) * 4);
    auto* image = new GdiImage;
    image->bitmap = bitmap;
    image->dc = dc;
    image->previous = SelectObject(dc, bitmap);
    image->bits = static_cast<unsigned char*>(bits);
    image->width = width;
    image->height = height;
    return image;
}

NativeImage* NativeGraphics::decodePng(const unsigned char* data, size_t size)
{
    if (!data || size == 0 || size > 0x7fffffff)
        return nullptr;
    return decode([&](IWICImagingFactory* factory) -> IWICBitmapDecoder* {
        IWICStream* stream = nullptr;
        IWICBitmapDecoder* decoder = nullptr;
        if (SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size))))
            factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnLoad, &decoder);
        release(stream);
        return decoder;
    });
}

NativeImage* NativeGraphics::readPngFile(const std::string& path)
{
    const std::wstring name = wide(path.c_str());
    if (name.empty() || GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    return decode([&](IWICImagingFactory* factory) -> IWICBitmapDecoder* {
        IWICBitmapDecoder* decoder = nullptr;
        factory->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                           &decoder);
        return decoder;
    });
}

void NativeGraphics::releaseImage(NativeImage* image)
{
    if (!image)
        return;
    SelectObject(image->dc, image->previous);
    DeleteDC(image->dc);
    DeleteObject(image->bitmap);
    delete image;
}

long NativeGraphics::width(NativeImage* image)
{
    return image->width;
}

long NativeGraphics::height(NativeImage* image)
{
    return image->height;
}

NativeCanvas* NativeGraphics::beginDrawing(NativeImage* target)
{
    const int saved = SaveDC(target->dc);
    if (saved == 0)
        return nullptr;
    auto* canvas = new GdiCanvas;
    canvas->dc = target->dc;
    canvas->savedState = saved;
    return canvas;
}

void NativeGraphics::endDrawing(NativeCanvas* canvas)
{
    if (!canvas)
        return;
    // GDI may batch its work; whoever reads the image's bits next must see
    // all of it.
    GdiFlush();
    RestoreDC(canvas->dc, canvas->savedState);
    delete canvas;
}

void NativeGraphics::clip(NativeCanvas* canvas, const CRect& area)
{
    if (!canvas)
        return;
    HRGN region = CreateRectRgn(int(area.left), int(area.top), int(area.right), int(area.bottom));
    SelectClipRgn(canvas->dc, region);
    DeleteObject(region);
}

void NativeGraphics::fill(NativeCanvas* canvas, const CRect& area, const CColor& colour)
{
    if (!canvas || area.isEmpty())
        return;
    const RECT r = toRect(area);
    if (colour.alpha == 255) {
        HBRUSH brush = CreateSolidBrush(RGB(colour.red, colour.green, colour.blue));
        FillRect(canvas->dc, &r, brush);
        DeleteObject(brush);
        return;
    }
    // A translucent colour: one premultiplied pixel, stretched and blended.
    GdiImage* pixel = createImage(1, 1, true);
    if (!pixel)
        return;
    const auto premultiplied = [&](unsigned char c) {
        return static_cast<unsigned char>((c * colour.alpha + 127) / 255);
    };
    pixel->bits[0] = premultiplied(colour.blue);
    pixel->bits[1] = premultiplied(colour.green);
    pixel->bits[2] = premultiplied(colour.red);
    pixel->bits[3] = colour.alpha;
    const BLENDFUNCTION over{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(canvas->dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pixel->dc, 0, 0, 1, 1, over);
    releaseImage(pixel);
}

void NativeGraphics::drawImage(NativeCanvas* canvas, NativeImage* image, const CRect& area, const CPoint& origin,
                               bool blend)
{
    if (!canvas || !image)
        return;
    // GDI refuses a source rectangle that leaves the image: draw only the
    // part of area the image covers.
    CRect dest = area;
    dest.bound(CRect(origin.x, origin.y, origin.x + image->width, origin.y + image->height));
    if (dest.isEmpty())
        return;
    const int w = int(dest.width()), h = int(dest.height());
    const int sx = int(dest.left - origin.x), sy = int(dest.top - origin.y);
    if (blend) {
        const BLENDFUNCTION over{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(canvas->dc, int(dest.left), int(dest.top), w, h, image->dc, sx, sy, w, h, over);
    } else {
        BitBlt(canvas->dc, int(dest.left), int(dest.top), w, h, image->dc, sx, sy, SRCCOPY);
    }
}

void NativeGraphics::drawText(NativeCanvas* canvas, const char* text, const CRect& area, double alignment,
                              double pixelSize, const CColor& colour)
{
    if (!canvas || !text)
        return;
    const std::wstring line = wide(text);
    if (line.empty())
        return;
    HFONT font = CreateFontW(-int(std::lround(pixelSize)), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, kFontFace);
    if (!font)
        return;
    HDC dc = canvas->dc;
    HGDIOBJ previousFont = SelectObject(dc, font);
    SIZE extent{};
    TEXTMETRICW metrics{};
    GetTextExtentPoint32W(dc, line.c_str(), int(line.size()), &extent);
    GetTextMetricsW(dc, &metrics);
    // The same placement as on the other platform: the advance aligned in
    // the area, the line's ascent and descent centred on its middle.
    const double left = alignment >= 1.0 ? double(area.right - extent.cx)
                                         : double(area.left) + double(area.width() - extent.cx) * alignment;
    const double baseline = double(area.top) + double(area.height() + metrics.tmAscent - metrics.tmDescent) / 2.0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    const RECT clip = toRect(area);
    ExtTextOutW(dc, int(std::lround(left)), int(std::lround(baseline)), ETO_CLIPPED, &clip, line.c_str(),
                UINT(line.size()), nullptr);
    SelectObject(dc, previousFont);
    DeleteObject(font);
}

std::string NativeGraphics::moduleFilePath()
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&NativeGraphics::moduleFilePath), &module))
        return std::string();
    // Paths may be longer than MAX_PATH; grow until the name fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, &name[0], DWORD(name.size()));
        if (n == 0)
            return std::string();
        if (n < name.size()) {
            name.resize(n);
            return utf8(name.c_str());
        }
        if (name.size() > 32768)
            return std::string();
        name.resize(name.size() * 2);
    }
}
