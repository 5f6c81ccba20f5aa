#pragma once

#include <windows.h>

// NativeImage on Windows (NativeGraphicsGdi.cpp): a 32-bit top-down DIB
// section, B G R A in memory, colour premultiplied by alpha. Only the GDI
// side of the toolkit looks inside it.
struct GdiImage {
    HBITMAP bitmap = nullptr;
    unsigned char* bits = nullptr; // top-down rows of width * 4 bytes
    long width = 0;
    long height = 0;

    // Copies the pixels in area to the same place on dc (a window's).
    void copyTo(HDC dc, const RECT& area) const;
};
