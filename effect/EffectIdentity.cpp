#include "effect/EffectIdentity.h"

#include "dsp/AmbiXChannels.h"

namespace {

const char* const kFuMaLabels[] = {"W", "X", "Y", "U", "V", "P", "Q"};
const char* const kAcnLabels[] = {"ACN 0",  "ACN 1",  "ACN 2",  "ACN 3", "ACN 4",  "ACN 5",
                                  "ACN 6",  "ACN 7",  "ACN 8",  "ACN 9", "ACN 10", "ACN 11",
                                  "ACN 12", "ACN 13", "ACN 14", "ACN 15"};
static_assert(sizeof kAcnLabels / sizeof kAcnLabels[0] == AmbiXChannels::kFrameChannels, "one label per ACN");

const EffectIdentity kFuMa = {
    "Corvane Velmora XY 3 - 2d",
    "Nb2q",
    OutputConvention::FuMa,
    sizeof kFuMaLabels / sizeof kFuMaLabels[0],
    kFuMaLabels,
    false,
};

const EffectIdentity kAmbiX = {
    "Corvane Velmora XY 3 - 2d AmbiX",
    "Nb2a",
    OutputConvention::AmbiX,
    AmbiXChannels::kFrameChannels,
    kAcnLabels,
    true,
};

} // namespace

const EffectIdentity& EffectIdentity::fuma()
{
    return kFuMa;
}

const EffectIdentity& EffectIdentity::ambix()
{
    return kAmbiX;
}
