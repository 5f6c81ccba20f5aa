#pragma once

#include "dsp/AmbiXChannels.h"
#include "dsp/NelAmbisonicEncoder.h"
#include "effect/EncoderControl.h"
#include "lv2/Lv2PluginInfo.h"

#include <cstdint>
#include <memory>

// One instance of an LV2 encoder plug-in: the encoder, driven by the same
// rules as the VST 2.x effect, reading its polar position from input control
// ports in degrees and metres and giving the rectangular view back on output
// control ports.
//
// A control port is read at the start of every run(); a value that differs
// from the last one taken is applied like a parameter change between two
// blocks, so the glides carry on across run() calls of any length and the
// output does not depend on how the host cuts them.
//
// Threads: connect() and run() on the host's audio thread, activate() and
// deactivate() never at the same time as run(). run() takes no lock,
// allocates nothing, makes no system call and calls nothing of the host's.
class Lv2Encoder {
public:
    // Null for a rate that is zero, negative or not finite.
    static std::unique_ptr<Lv2Encoder> create(const Lv2PluginInfo& info, double sampleRate);

    void connect(std::uint32_t port, void* data);
    // The next run() starts from rest: the glides at their targets, the
    // filter memories cleared.
    void activate();
    void run(std::uint32_t frames);

    Lv2Encoder(const Lv2PluginInfo& info, float sampleRate);

private:
    void takeControls();
    void showPosition();

    const Lv2PluginInfo& info;
    NelAmbisonicEncoder encoder;
    EncoderControl control;

    // Ports by role; null while unconnected (an unconnected port is not read).
    const float* controlIn[Lv2PluginInfo::kControlInputs] = {};
    float* positionOut[Lv2PluginInfo::kPositionOutputs] = {};
    const float* audioIn = nullptr;
    float* audioOut[AmbiXChannels::kFrameChannels] = {};
    // The parameter behind each control input and position output.
    int inputParameter[Lv2PluginInfo::kControlInputs] = {};
    int positionParameter[Lv2PluginInfo::kPositionOutputs] = {};
    // The value of each control input the encoder holds, in user units.
    float taken[Lv2PluginInfo::kControlInputs] = {};
    bool startFromRest = true;
};
