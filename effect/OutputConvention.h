#pragma once

// How the effect's outputs carry the B-format signal.
enum class OutputConvention {
    FuMa, // seven outputs W X Y U V P Q, Furse-Malham weights
    AmbiX, // sixteen outputs ACN 0..15, SN3D weights; the nine with height are silent
};
