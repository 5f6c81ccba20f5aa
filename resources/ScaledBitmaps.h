#pragma once

#include "resources/ScaledLayout.h"

class CBitmap;

// The editor's bitmaps for a layout's factor. At factor 1 they are the
// embedded files (or their overrides beside the plug-in), exactly as the
// build drew them; at any other factor they are drawn afresh at that size
// by the same painter, never enlarged from the factor-1 pixels.
class ScaledBitmaps {
public:
    // A new bitmap (the caller holds its one reference); a bitmap of 0 x 0
    // for a number that is not one of the editor's. The embedded files must
    // have been installed (installEditorBitmaps).
    static CBitmap* create(long number, const ScaledLayout& layout);
};
