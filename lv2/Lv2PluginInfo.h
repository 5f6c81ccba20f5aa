#pragma once

#include "effect/EffectIdentity.h"
#include "lv2/Lv2Port.h"

#include <cstdint>

// What an LV2 host knows of one of the two plug-ins: its URI, its ports in
// index order, the group its outputs form and the file of the bundle that
// describes it. Port indices and symbols never change once shipped: hosts
// keep automation by index and values by symbol.
struct Lv2PluginInfo {
    // The ports both plug-ins begin with, at these indices; the audio
    // outputs follow from kFirstOutputPort on.
    enum FixedPort : std::uint32_t {
        kAzimuthPort = 0,
        kElevationPort,
        kDistancePort,
        kCompensationPort,
        kPositionXPort,
        kPositionYPort,
        kPositionZPort,
        kInputPort,
        kFirstOutputPort
    };
    static constexpr int kControlInputs = kPositionXPort;
    static constexpr int kPositionOutputs = kInputPort - kPositionXPort;

    const char* uri;
    const EffectIdentity& identity;
    const char* const* outputSymbols; // identity.numOutputs of them
    const char* groupClass; // the port-groups class of the output group
    const char* groupLabel;
    const char* turtleFile; // the plug-in's own Turtle file in the bundle

    std::uint32_t numPorts() const { return kFirstOutputPort + static_cast<std::uint32_t>(identity.numOutputs); }
    // index < numPorts()
    Lv2Port port(std::uint32_t index) const;

    static constexpr const char* kFuMaUri = "urn:corvane:velmora-xy3-2d";
    static constexpr const char* kAmbiXUri = "urn:corvane:velmora-xy3-2d-ambix";

    static constexpr int kCount = 2;
    static const Lv2PluginInfo& fuma();
    static const Lv2PluginInfo& ambix();
    static const Lv2PluginInfo& at(int i);
    // Null when the URI names neither plug-in.
    static const Lv2PluginInfo* find(const char* uri);

    // The bundle that holds both plug-ins, the object that runs them and
    // their version (an even minor version other than 0 and an even micro
    // version: hosts hide the others as development versions).
    static constexpr const char* kBundle = "corvane-velmora-xy3-2d.lv2";
    static constexpr const char* kDspBinary = "corvane-velmora-xy3-2d-dsp.so";
    // The editor of both plug-ins, in an object of its own so that hosts
    // that only render never load the window system.
    static constexpr const char* kUiUri = "urn:corvane:velmora-xy3-2d#ui";
    static constexpr const char* kUiBinary = "corvane-velmora-xy3-2d-ui.so";
    static constexpr const char* kUiTurtleFile = "corvane-velmora-xy3-2d-ui.ttl";
    static constexpr int kMinorVersion = 2;
    static constexpr int kMicroVersion = 0;
};
