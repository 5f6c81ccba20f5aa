// sin, cos, sincos and atan2 for everything in a Windows plug-in DLL: the
// project's own (Trigonometry.h says why) in place of mingw-w64's x87 ones.
// The linker takes these definitions because the DLL's own objects come
// before the runtime libraries, and so never pulls the runtime's; a second
// definition would fail the link rather than pass unnoticed.
#include "windows/Trigonometry.h"

extern "C" {

double sin(double x)
{
    return Trigonometry::sin(x);
}

double cos(double x)
{
    return Trigonometry::cos(x);
}

void sincos(double x, double* sine, double* cosine)
{
    Trigonometry::sincos(x, sine, cosine);
}

double atan2(double y, double x)
{
    return Trigonometry::atan2(y, x);
}

} // extern "C"
