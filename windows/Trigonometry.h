#pragma once

// Double-precision sine, cosine and arc tangent for the Windows build.
//
// mingw-w64's C runtime computes sin, cos and atan2 with the x87's fsin,
// fcos and fpatan: about five times slower than glibc's (80-110 ns against
// 17-21 ns a call, measured under wine), and their last bits depend on the
// processor model. The engine's update operations call them whenever the
// source moves, so a moving source cost the Windows plug-in almost half as
// much again as the Linux one. These are plain IEEE double arithmetic
// (Taylor polynomials on reduced arguments, Cody-Waite reduction by pi/2,
// a table of atan(i/16)), 10-16 ns a call, and give the same bits on every
// processor and from either compiler. They are within one unit in the last
// place of the exact result (atan2: two), and equal glibc's correctly
// rounded result for about 97% of arguments (atan2: 85%); the plug-in
// stores the angles and positions they give as floats, where the
// difference vanishes (the Windows renders and texts equal the Linux ones,
// as the tests check). The Windows DLLs take sin, cos, sincos and atan2
// from here (LibmOverrides.cpp).
//
// Arguments beyond |x| = 1e5, infinities, NaNs, and atan2's zeros and
// extreme quotients, which the engine never produces, are handed to the
// long double functions, so every special case keeps C's answer.
class Trigonometry {
public:
    static double sin(double x);
    static double cos(double x);
    static void sincos(double x, double* sine, double* cosine);
    static double atan2(double y, double x);
};
