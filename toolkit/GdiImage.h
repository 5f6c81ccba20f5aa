#pragma once

#include <windows.h>

// NativeImage on Windows (NativeGraphicsGdi.cpp): a 32-bit top-down DIB
// section, B G R A in memory, colour premultiplied by alpha. Only the GDI
// side of the toolkit looks inside it.
//
// The bitmap stays selected into one memory device context of its own for
// its whole life, and every drawing onto it and copy from it goes through
// that context: GDI lets a bitmap be selected into one context at a time,
// and the toolkit draws on the back buffer from inside a control's mouse
// loop while the click's own drawing context is still open on it.
struct GdiImage {
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr; // the bitmap selected into it
    HGDIOBJ previous = nullptr; // what dc held before
    unsigned char* bits = nullptr; // top-down rows of width * 4 bytes
    long width = 0;
    long height = 0;

    // Copies the pixels in area to the same place on dc (a window's).
    void copyTo(HDC dc, const RECT& area) const;
};
