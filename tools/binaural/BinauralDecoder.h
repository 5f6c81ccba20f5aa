#pragma once

#include "tools/binaural/OverlapAddConvolver.h"
#include "tools/binaural/RingDecode.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class SofaSet;

// Renders horizontal third-order B-format (Furse-Malham W X Y U V P Q) for
// headphones: a decode to a regular ring of virtual loudspeakers at ear
// height, each heard through its head-related responses. Decode and responses
// are combined beforehand into one response pair per B-format channel, so the
// work per sample does not grow with the number of loudspeakers.
class BinauralDecoder {
public:
    // Eight, the fewest a regular ring needs to carry third order evenly.
    static constexpr int kSpeakers = 8;
    static constexpr int kChannels = RingDecode::kChannels;
    static constexpr int kEars = 2; // left, right

    // Fills up to `count` frames of the seven channels; returns how many, 0 at the end.
    using Source = std::function<int(float* const* channels, int count)>;
    // Receives each rendered block: left and right.
    using Sink = std::function<void(const float* const* ears, int frames)>;
    // Told the frames rendered so far after each block.
    using Progress = std::function<void(long long done)>;

    // The feed of a virtual loudspeaker at `azimuthDegrees` from each of
    // W X Y U V P Q: a basic decode with max-rE order weights, so that a
    // source between loudspeakers is not smeared by the third-order side lobes.
    static std::array<double, kChannels> speakerGains(double azimuthDegrees);

    explicit BinauralDecoder(const SofaSet& set);

    // Plays the source through the decoder; the ears get as many frames as
    // the source gave (the responses' last tail is cut with it, so that the
    // ears keep the length of the scene). Returns the frames rendered.
    long long render(const Source& source, const Sink& sink, const Progress& progress = nullptr);

private:
    static std::vector<std::vector<std::vector<float>>> channelResponses(const SofaSet& set);
    // Fills the input block from the source; returns how many frames it gave.
    int fillBlock(const Source& source);

    std::vector<std::vector<float>> in;

    std::unique_ptr<OverlapAddConvolver> convolver;
};
