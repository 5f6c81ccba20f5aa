#pragma once

// The angles every part of the system computes with, as double constants
// written out to the last digit the position mappings are rounded from.
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
