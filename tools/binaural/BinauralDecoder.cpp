#include "tools/binaural/BinauralDecoder.h"

#include "dsp/Angles.h"
#include "tools/binaural/RingDecode.h"
#include "tools/binaural/SofaSet.h"

#include <algorithm>
#include <cmath>

namespace {

// Adds `gain` times `response` into `sum`, growing it when needed.
void addScaled(std::vector<float>& sum, const std::vector<float>& response, double gain)
{
    if (sum.size() < response.size())
        sum.resize(response.size(), 0.0f);
    for (size_t n = 0; n < response.size(); ++n)
        sum[n] += static_cast<float>(gain * response[n]);
}

} // namespace

std::array<double, BinauralDecoder::kChannels> BinauralDecoder::speakerGains(double azimuthDegrees)
{
    return RingDecode::gains(azimuthDegrees * kPi / 180.0, kSpeakers, RingDecode::Weighting::MaxRE);
}

BinauralDecoder::BinauralDecoder(const SofaSet& set)
    : convolver(std::make_unique<OverlapAddConvolver>(channelResponses(set)))
{
}

// [channel][ear]: the sum over the loudspeakers of each one's feed from that
// channel times its responses.
std::vector<std::vector<std::vector<float>>> BinauralDecoder::channelResponses(const SofaSet& set)
{
    std::vector<std::vector<std::vector<float>>> responses(kChannels, std::vector<std::vector<float>>(kEars));
    for (int s = 0; s < kSpeakers; ++s) {
        const double azimuth = 360.0 * s / kSpeakers;
        const SofaSet::Pair pair = set.atEarHeight(azimuth);
        const auto gains = speakerGains(azimuth);
        for (int c = 0; c < kChannels; ++c) {
            addScaled(responses[static_cast<size_t>(c)][0], pair.left, gains[static_cast<size_t>(c)]);
            addScaled(responses[static_cast<size_t>(c)][1], pair.right, gains[static_cast<size_t>(c)]);
        }
    }
    return responses;
}

// A source may give less than asked before its end: ask until the block is
// full or the source has nothing more.
int BinauralDecoder::fillBlock(const Source& source)
{
    const int block = convolver->blockSize();
    int filled = 0;
    for (int got = 1; got > 0 && filled < block; filled += got) {
        float* at[kChannels];
        for (int c = 0; c < kChannels; ++c)
            at[c] = in[static_cast<size_t>(c)].data() + filled;
        got = source(at, block - filled);
    }
    for (auto& channel : in)
        std::fill(channel.begin() + filled, channel.end(), 0.0f);
    return filled;
}

long long BinauralDecoder::render(const Source& source, const Sink& sink, const Progress& progress)
{
    const int block = convolver->blockSize();
    in.assign(kChannels, std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> out(kEars, std::vector<float>(static_cast<size_t>(block)));
    const float* inPointers[kChannels];
    for (int c = 0; c < kChannels; ++c)
        inPointers[c] = in[static_cast<size_t>(c)].data();
    float* outPointers[kEars] = {out[0].data(), out[1].data()};

    long long done = 0;
    for (int filled = block; filled == block;) {
        filled = fillBlock(source);
        if (filled == 0)
            break;
        convolver->process(inPointers, outPointers);
        sink(outPointers, filled);
        done += filled;
        if (progress)
            progress(done);
    }
    return done;
}
