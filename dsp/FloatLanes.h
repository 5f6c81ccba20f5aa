#pragma once

#include <cstring>

// Four single-precision lanes processed by one SSE instruction. Each lane
// rounds exactly like scalar float arithmetic, so running channels side by
// side changes no channel's result.
typedef float F4 __attribute__((vector_size(16)));

// What comparing two F4 gives: all bits set in each lane where it holds.
typedef int LaneMask __attribute__((vector_size(16)));

inline bool anyLane(LaneMask mask)
{
    return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
}

inline F4 splat(float v)
{
    return F4{v, v, v, v};
}

inline F4 loadLanes(const float* p)
{
    F4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void storeLanes(float* p, F4 v)
{
    std::memcpy(p, &v, sizeof v);
}
