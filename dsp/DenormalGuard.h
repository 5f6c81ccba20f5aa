#pragma once

// Added at every step of every recursion so that a silent input decays to a
// tiny normal number instead of into the denormal range, which is slow on x86.
constexpr float kDenormalGuard = 1e-30f;
