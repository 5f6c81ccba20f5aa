// velmora-capture WINDOW OUT.png: what an X window shows, as a PNG, for
// pictures of the Windows plug-in's editor under wine
// (scripts/windows-screenshot.sh). WINDOW is an X window id, decimal or
// 0x-hexadecimal.
#include "tools/capture/WindowCapture.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW OUT.png\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    const unsigned long window = std::strtoul(argv[1], &end, 0);
    if (*end || !window) {
        std::fprintf(stderr, "%s is not a window id\n", argv[1]);
        return 2;
    }
    if (!captureWindowPng(window, argv[2])) {
        std::fprintf(stderr, "cannot capture window %s\n", argv[1]);
        return 1;
    }
    return 0;
}
