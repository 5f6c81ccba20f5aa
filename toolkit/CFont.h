#pragma once

// The toolkit's standard fonts. All are the same sans-serif face at
// different sizes: on X11 fontconfig picks the face, usually DejaVu Sans;
// on Windows it is Tahoma.
enum CFont {
    kSystemFont = 0,
    kNormalFontVeryBig,
    kNormalFontBig,
    kNormalFont,
    kNormalFontSmall,
    kNormalFontSmaller,
    kNormalFontVerySmall,
    kSymbolFont,
    kNumStandardFonts
};

// Pixel size of a standard font; unknown values get the normal size.
double fontPixelSize(CFont font);
