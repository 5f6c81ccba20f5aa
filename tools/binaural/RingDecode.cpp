#include "tools/binaural/RingDecode.h"

#include "dsp/Angles.h"

#include <cmath>

namespace {

// max-rE weight of order m for a horizontal decode of order kOrder.
double maxReWeight(int m)
{
    return std::cos(m * kPi / (2.0 * (RingDecode::kOrder + 1)));
}

} // namespace

std::array<double, RingDecode::kChannels> RingDecode::gains(double radians, int speakers, Weighting weighting)
{
    std::array<double, kChannels> g{};
    g[0] = std::sqrt(2.0) / speakers;
    for (int m = 1; m <= kOrder; ++m) {
        const double weight = 2.0 * (weighting == Weighting::MaxRE ? maxReWeight(m) : 1.0) / speakers;
        g[static_cast<size_t>(2 * m - 1)] = weight * std::cos(m * radians);
        g[static_cast<size_t>(2 * m)] = weight * std::sin(m * radians);
    }
    return g;
}
