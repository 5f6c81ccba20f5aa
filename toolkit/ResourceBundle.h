#pragma once

#include <cstddef>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

// One image file compiled into the plug-in.
struct EmbeddedResource {
    const char* name; // file name, e.g. "bmp00131.png"
    const unsigned char* data;
    unsigned long size;
};

// Finds bitmap resources by number. The name is "bmp%05d" with the
// extensions png, bmp, jpg and pict tried in that order, first in the
// override folder beside the plug-in's shared object
// (<path without ".so">.resources/), then among the embedded files. Only
// PNG can be decoded; anything else counts as missing.
class ResourceBundle {
public:
    // Registers the embedded files; a later call replaces the table.
    static void install(const EmbeddedResource* table, size_t count);

    // A new image surface (caller destroys it), or null when the resource
    // cannot be found or decoded.
    static cairo_surface_t* load(long resourceNumber);

    // The folder searched before the embedded files.
    static std::string overrideDirectory();
};
