#pragma once

#include <cmath>

#include "dsp/AmbiLayout.h"
#include "dsp/DeZipper.h"
#include "dsp/NF_filt1.h"
#include "dsp/NF_filt2.h"
#include "dsp/NF_filt3.h"
#include "dsp/NF_filt4.h"
#include "dsp/NelAmbisonicEncoder.h"

// The encoder's audio path written the plain way: one smoother per channel,
// stepped sample by sample with the channels inside, then one scalar filter
// object per directional channel run over its whole block. It reads the
// targets and coefficients that an encoder's update operations left in its
// public fields; call sync() after updating that encoder.
class ReferenceEncoder {
public:
    explicit ReferenceEncoder(const NelAmbisonicEncoder& encoder)
        : enc_(encoder), layout_(AmbiLayout::of(encoder.order))
    {
        sync();
    }

    void sync()
    {
        for (int j = 0; j < layout_.numChannels; ++j)
            gains_[j] = enc_.gains[j];
        compDistance_ = enc_.compDistance;
        distance_ = enc_.distance;
        for (int k = 0; k < layout_.filtersOfOrder(1); ++k)
            nf1_[k].init(enc_.nf1[k]);
        for (int k = 0; k < layout_.filtersOfOrder(2); ++k)
            nf2_[k].init(enc_.nf2[k]);
        for (int k = 0; k < layout_.filtersOfOrder(3); ++k)
            nf3_[k].init(enc_.nf3[k]);
        for (int k = 0; k < layout_.filtersOfOrder(4); ++k)
            nf4_[k].init(enc_.nf4[k]);
    }

    void resume()
    {
        sync();
        for (auto& f : nf1_)
            f.reset();
        for (auto& f : nf2_)
            f.reset();
        for (auto& f : nf3_)
            f.reset();
        for (auto& f : nf4_)
            f.reset();
        for (int j = 0; j < layout_.numChannels; ++j)
            smoothers_[j].init(gains_[j]);
    }

    void process(const float* input, float* const* outputs, int frames)
    {
        for (int i = 0; i < frames; ++i)
            for (int j = 0; j < layout_.numChannels; ++j)
                outputs[j][i] = input[i] * smoothers_[j].smooth(gains_[j]);
        if (!(compDistance_ < 4.0f) || frames <= 0)
            return;
        const bool full = distance_ < 4.0f;
        for (int j = 0; j < layout_.numChannels; ++j) {
            float* ch = outputs[j];
            const int k = layout_.filterIndexOf(j);
            switch (layout_.orderOf(j)) {
            case 1: full ? nf1_[k].process(frames, ch, ch, 1) : nf1_[k].process1(frames, ch, ch, 1); break;
            case 2: full ? nf2_[k].process(frames, ch, ch, 1) : nf2_[k].process1(frames, ch, ch, 1); break;
            case 3: full ? nf3_[k].process(frames, ch, ch, 1) : nf3_[k].process1(frames, ch, ch, 1); break;
            case 4: full ? nf4_[k].process(frames, ch, ch, 1) : nf4_[k].process1(frames, ch, ch, 1); break;
            default: break;
            }
        }
    }

private:
    const NelAmbisonicEncoder& enc_;
    const AmbiLayout& layout_;
    float gains_[kMaxChannels] = {};
    float compDistance_ = 4.0f;
    float distance_ = 4.0f;
    DeZipper smoothers_[kMaxChannels];
    NF_filt1 nf1_[3];
    NF_filt2 nf2_[5];
    NF_filt3 nf3_[7];
    NF_filt4 nf4_[9];
};
