#pragma once

// The toolkit's standard fonts. All are the same sans-serif face at
// different sizes (fontconfig picks the face, usually DejaVu Sans).
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
