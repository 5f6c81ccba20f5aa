#pragma once

#include <array>

// The feeds of a regular ring of loudspeakers at ear height from horizontal
// third-order B-format in FuMa order (W X Y U V P Q): the demonstration's
// picture shows them, the binaural render listens to them.
class RingDecode {
public:
    static constexpr int kChannels = 7;
    static constexpr int kOrder = 3;

    enum class Weighting {
        Basic, // every order at full weight: the sampling decode
        MaxRE // orders tapered for the most concentrated energy
    };

    // How much of each channel feeds the loudspeaker at `radians` in a ring of
    // `speakers`. A plane wave carries W = 1/sqrt(2) and cos(m a), sin(m a)
    // in the order-m pair; these gains give the loudspeaker nearest to it the
    // most, and all the loudspeakers together a sum of exactly 1.
    static std::array<double, kChannels> gains(double radians, int speakers, Weighting weighting);
};
