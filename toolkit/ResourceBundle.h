#pragma once

#include "toolkit/NativeGraphics.h"

#include <cstddef>
#include <cstdio>
#include <string>

// One image file compiled into the plug-in.
struct EmbeddedResource {
    const char* name; // file name, e.g. "bmp00131.png"
    const unsigned char* data;
    unsigned long size;
};

// Finds bitmap resources by number. The name is "bmp%05d" with the
// extensions png, bmp, jpg and pict tried in that order, first in the
// override folder beside the plug-in's file (its path without ".so" or
// ".dll", then ".resources/"), then among the embedded files. Only PNG can
// be decoded; anything else counts as missing. A bitmap drawn for a display
// scale factor other than 1 carries the factor in its name:
// "bmp00131@1.5x.png".
class ResourceBundle {
public:
    // Registers the embedded files; a later call replaces the table.
    static void install(const EmbeddedResource* table, size_t count);

    // A new image (caller releases it), or null when the resource cannot be
    // found or decoded.
    static NativeImage* load(long resourceNumber, double factor = 1.0);

    // The file name of a resource at a factor, without the extension. Inline:
    // the build-time bitmap generator names its files with it too.
    static std::string baseName(long resourceNumber, double factor = 1.0)
    {
        char base[48];
        if (factor == 1.0)
            std::snprintf(base, sizeof base, "bmp%05ld", resourceNumber);
        else
            std::snprintf(base, sizeof base, "bmp%05ld@%gx", resourceNumber, factor);
        return base;
    }

    // The folder searched before the embedded files.
    static std::string overrideDirectory();
};
