#pragma once

// The AmbiX convention (ACN channel order, SN3D weights) for the seven
// horizontal components of a third-order signal, in the order the Order3H0V
// layout gives them (W X Y U V P Q): where each one sits in a full
// third-order ACN frame, and the factor that turns its Furse-Malham weight
// into the SN3D one. The other nine ACN channels of the frame hold the
// components with a height term, which a horizontal source does not have.
struct AmbiXChannels {
    static constexpr int kFrameChannels = 16; // ACN 0 .. 15
    static constexpr int kHorizontal = 7;

    struct Placement {
        int acn;
        double fromFuMa;
    };

    // sqrt(2), sqrt(3)/2 and sqrt(5/8), written out: std::sqrt is not a
    // constant expression.
    static constexpr double kSqrt2 = 1.41421356237309504880;
    static constexpr double kSqrt3Over2 = 0.86602540378443864676;
    static constexpr double kSqrt5Over8 = 0.79056941504209483300;

    // W -> 0, X -> 3, Y -> 1, U -> 8, V -> 4, P -> 15, Q -> 9. FuMa carries W
    // at -3 dB, SN3D at full level; the first-order pair is the same in both.
    static constexpr Placement kPlacement[kHorizontal] = {
        {0, kSqrt2},      {3, 1.0},          {1, 1.0},         {8, kSqrt3Over2},
        {4, kSqrt3Over2}, {15, kSqrt5Over8}, {9, kSqrt5Over8},
    };
};
