#include "effect/AmbiXOutputs.h"

#include "dsp/AmbiXChannels.h"

#include <cstring>

namespace {

constexpr int kFrame = AmbiXChannels::kFrameChannels;
constexpr int kHorizontal = AmbiXChannels::kHorizontal;
constexpr int kSilent = kFrame - kHorizontal;

struct Weights {
    double factor[kHorizontal];
};

constexpr Weights weightsFromPlacement()
{
    Weights w{};
    for (int j = 0; j < kHorizontal; ++j)
        w.factor[j] = AmbiXChannels::kPlacement[j].fromFuMa;
    return w;
}

// The ACN channels no horizontal component lands on.
struct SilentChannels {
    int acn[kSilent];
};

constexpr SilentChannels silentFromPlacement()
{
    SilentChannels s{};
    int count = 0;
    for (int c = 0; c < kFrame; ++c) {
        bool placed = false;
        for (const auto& p : AmbiXChannels::kPlacement)
            placed = placed || p.acn == c;
        if (!placed)
            s.acn[count++] = c;
    }
    return s;
}

constexpr Weights kWeights = weightsFromPlacement();
constexpr SilentChannels kSilentChannels = silentFromPlacement();

} // namespace

const double* AmbiXOutputs::encoderWeights()
{
    return kWeights.factor;
}

void AmbiXOutputs::render(NelAmbisonicEncoder& encoder, const float* const* inputs, float* const* outputs,
                          int frames)
{
    if (frames <= 0 || inputs == nullptr || outputs == nullptr || inputs[0] == nullptr)
        return;
    // Costs per block, not per sample, but a host's 64-frame blocks make
    // them count: the loops over the constant tables are unrolled.
    bool missing = false;
#pragma GCC unroll 16
    for (int c = 0; c < kFrame; ++c)
        missing = missing || outputs[c] == nullptr;
    if (missing)
        return;
    float* horizontal[kHorizontal];
#pragma GCC unroll 16
    for (int j = 0; j < kHorizontal; ++j)
        horizontal[j] = outputs[AmbiXChannels::kPlacement[j].acn];
    encoder.process(inputs, horizontal, frames);
    // Only once the encoder has read the input: a host processing in place
    // may have handed it over as one of these.
    const size_t bytes = sizeof(float) * static_cast<size_t>(frames);
#pragma GCC unroll 16
    for (int s = 0; s < kSilent; ++s)
        std::memset(outputs[kSilentChannels.acn[s]], 0, bytes);
}
