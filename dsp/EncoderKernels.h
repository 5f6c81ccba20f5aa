#pragma once

#include <cstdint>

#include "dsp/AmbiOrder.h"
#include "dsp/EncoderLanes.h"
#include "dsp/EncoderTargets.h"

// The block loops of the audio path, one for each combination the engine
// meets: gains gliding or held, the near-field stage, coefficients gliding
// or held. Each runs frame by frame with every channel and every filter
// section of the layout side by side in SSE lanes: the smoothers and filter
// memories are recursions whose latency, not their arithmetic, bounds the
// speed, and the lanes of one frame are independent of each other. Each lane
// performs exactly the operations of its scalar filter, in the same order.
//
// Every loop is compiled twice from the same source: for the SSE2 every
// x86 processor has, and for AVX. Both round every operation alike (single
// precision, no fused multiply-add); AVX's three-operand instructions spare
// the register copies that the two-operand SSE forms put into the filters'
// recursions, and the recursions' latency is what a block costs.
class EncoderKernels {
public:
    using Kernel = void (*)(EncoderLanes& lanes, const float* input, float* const* outputs, int frames);
    // [gains glide][near-field stage][coefficients glide]. Without filters
    // there are no coefficients: [g][Off][1] is null.
    using Table = Kernel[2][kNearFieldStages][2];

    enum class InstructionSet : uint8_t { Sse2, Avx };

    static const Table& of(AmbiOrder order, InstructionSet set);

    // The best set this processor and system run.
    static InstructionSet best();
    // The set new engines take: best(), unless a test or benchmark chose
    // another (one the processor runs) to compare them.
    static InstructionSet chosen();
    static void choose(InstructionSet set);
};
