#pragma once

#include "tools/soundfiles/BFormatConvention.h"

#include <sndfile.h>

#include <optional>
#include <string>
#include <vector>

// Reads a horizontal third-order B-format file and gives its seven
// horizontal components in Furse-Malham order and weights (W X Y U V P Q),
// whichever of the two conventions the file is in:
// - FuMa: seven channels W X Y U V P Q, marked as Ambisonic B-format in a
//   WAVE_FORMAT_EXTENSIBLE header (the ".amb" convention);
// - AmbiX: sixteen channels in ACN order with SN3D weights, of which the
//   horizontal ones are taken.
// Without a convention given, the header and channel count decide.
class BFormatReader {
public:
    using Convention = BFormatConvention;
    static constexpr int kChannels = 7;

    // "fuma" or "ambix"; throws HostError for anything else.
    static Convention conventionNamed(const std::string& name);
    static const char* nameOf(Convention convention);

    // Where component `component` (0..6: W X Y U V P Q) lies among the
    // channels of a signal in `convention`, and the factor that brings it to
    // Furse-Malham weights.
    struct Source {
        int channel;
        float toFuMa;
    };
    static Source sourceOf(Convention convention, int component);

    BFormatReader(const std::string& path, std::optional<Convention> requested);
    ~BFormatReader();
    BFormatReader(const BFormatReader&) = delete;
    BFormatReader& operator=(const BFormatReader&) = delete;

    Convention convention() const { return kind; }
    int sampleRate() const { return info.samplerate; }
    long long frames() const { return info.frames; }

    // Reads up to `count` frames into seven buffers (W X Y U V P Q); returns
    // how many were read, 0 at the end.
    int read(float* const* channels, int count);

private:
    Convention decideConvention(std::optional<Convention> requested, bool markedBFormat) const;

    std::string path;
    SF_INFO info{};
    SNDFILE* file = nullptr;
    Convention kind = Convention::FuMa;
    int fileChannel[kChannels] = {};
    float toFuMa[kChannels] = {}; // the factor from the file's weights to Furse-Malham's
    std::vector<float> interleaved;
};
