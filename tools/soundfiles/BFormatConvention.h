#pragma once

// The two ways a horizontal third-order B-format signal travels in a file or
// through a plug-in's outputs: FuMa (seven channels W X Y U V P Q,
// Furse-Malham weights) and AmbiX (sixteen channels in ACN order, SN3D
// weights, the nine with height silent).
enum class BFormatConvention { FuMa, AmbiX };
