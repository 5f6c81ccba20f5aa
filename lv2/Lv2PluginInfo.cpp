#include "lv2/Lv2PluginInfo.h"

#include "dsp/AmbiXChannels.h"
#include "effect/ParameterTable.h"

#include <cstring>

namespace {

using Kind = Lv2Port::Kind;

// The polar view is what a host writes, in degrees and metres; the
// rectangular view follows as outputs (only a host writes an input, so the
// two coupled views of the position cannot both be inputs).
const Lv2Port kLeadingPorts[Lv2PluginInfo::kFirstOutputPort] = {
    {"azimuth", "Azimuth", Kind::ControlIn, kAzimuth, -1,
     "Direction of the source, counter-clockwise from the front: 90 is left, 270 right."},
    {"elevation", "Elevation", Kind::ControlIn, kElevation, -1,
     "Height of the source above the horizontal plane; the outputs carry its horizontal part."},
    {"distance", "Distance", Kind::ControlIn, kDistance, -1,
     "Distance of the source from the centre. At 4 m (off) the source is far: no near-field effect."},
    {"compensation", "Compensation Distance", Kind::ControlIn, kCompensationDistance, -1,
     "Radius of the loudspeaker ring the signal is meant for, which the near-field filters "
     "compensate. At 4 m (off) there are no filters and the distance fades the higher orders."},
    {"pos_x", "x", Kind::ControlOut, kX, -1, "Where the source is: metres to the front."},
    {"pos_y", "y", Kind::ControlOut, kY, -1, "Where the source is: metres to the left."},
    {"pos_z", "z", Kind::ControlOut, kZ, -1, "Where the source is: metres up."},
    {"in", "Mono Input", Kind::AudioIn, -1, -1, nullptr},
};

const char* const kFuMaSymbols[] = {"w", "x", "y", "u", "v", "p", "q"};
const char* const kAmbiXSymbols[] = {"acn0", "acn1", "acn2",  "acn3",  "acn4",  "acn5",  "acn6",  "acn7",
                                     "acn8", "acn9", "acn10", "acn11", "acn12", "acn13", "acn14", "acn15"};

// The ACN channel that output `j` carries.
int acnOf(OutputConvention convention, int j)
{
    return convention == OutputConvention::FuMa ? AmbiXChannels::kPlacement[j].acn : j;
}

} // namespace

Lv2Port Lv2PluginInfo::port(std::uint32_t index) const
{
    if (index < kFirstOutputPort)
        return kLeadingPorts[index];
    const int j = static_cast<int>(index - kFirstOutputPort);
    return {outputSymbols[j], identity.outputLabels[j], Kind::AudioOut, -1, acnOf(identity.convention, j), nullptr};
}

// Made at first use: they refer to the identities, which live in another
// file and may not be made yet while this file's constants are.
const Lv2PluginInfo& Lv2PluginInfo::fuma()
{
    static const Lv2PluginInfo info = {
        kFuMaUri,
        EffectIdentity::fuma(),
        kFuMaSymbols,
        "AmbisonicBH3P0Group",
        "B-format, horizontal third order, Furse-Malham order and weights",
        "corvane-velmora-xy3-2d.ttl",
    };
    return info;
}

const Lv2PluginInfo& Lv2PluginInfo::ambix()
{
    static const Lv2PluginInfo info = {
        kAmbiXUri,
        EffectIdentity::ambix(),
        kAmbiXSymbols,
        "AmbisonicBH3P3Group",
        "B-format, third order, ACN order and SN3D weights, the channels with height silent",
        "corvane-velmora-xy3-2d-ambix.ttl",
    };
    return info;
}

const Lv2PluginInfo& Lv2PluginInfo::at(int i)
{
    return i == 0 ? fuma() : ambix();
}

const Lv2PluginInfo* Lv2PluginInfo::find(const char* uri)
{
    if (uri == nullptr)
        return nullptr;
    for (int i = 0; i < kCount; ++i)
        if (std::strcmp(uri, at(i).uri) == 0)
            return &at(i);
    return nullptr;
}
