#pragma once

#include "tools/pluginhost/Automation.h"
#include "tools/pluginhost/PluginHost.h"

#include <functional>
#include <vector>

// Runs a mono signal through a loaded plug-in block by block, as a DAW's
// playback does, applying automation at block boundaries.
class Renderer {
public:
    // Fills up to `count` samples; returns how many, 0 at the end.
    using Source = std::function<int(float* samples, int count)>;
    // Receives each rendered block, one buffer per plug-in output.
    using Sink = std::function<void(const float* const* channels, int frames)>;
    // Told the frames rendered so far after each block.
    using Progress = std::function<void(long long done)>;

    Renderer(PluginHost& host, float sampleRate, int blockSize);

    // Makes the automation's changes at time 0, starts the host, then plays
    // the source through it. An event at a later time T takes effect at the
    // first block boundary at or after T. Returns the number of frames
    // rendered.
    long long render(const Source& source, const Automation& automation, const Sink& sink,
                     const Progress& progress = nullptr);

private:
    PluginHost& host;
    float sampleRate;
    int blockSize;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};
