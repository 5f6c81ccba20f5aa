#include "host/BinauralDecoder.h"

#include "dsp/Angles.h"
#include "host/SofaSet.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOrder = 3;

// max-rE weight of order m for a horizontal decode of order kOrder.
double maxReWeight(int m)
{
    return std::cos(m * kPi / (2.0 * (kOrder + 1)));
}

// Adds `gain` times `response` into `sum`, growing it when needed.
void addScaled(std::vector<float>& sum, const std::vector<float>& response, double gain)
{
    if (sum.size() < response.size())
        sum.resize(response.size(), 0.0f);
    for (size_t n = 0; n < response.size(); ++n)
        sum[n] += static_cast<float>(gain * response[n]);
}

} // namespace

// A plane wave from azimuth a carries W = 1/sqrt(2) and cos(m a), sin(m a)
// in the order-m pair; these gains give the loudspeaker nearest to it the
// most, and all the loudspeakers together a sum of exactly 1 (W's share), so
// the low frequencies, where the ears hear the feeds add up, keep their level.
std::array<double, BinauralDecoder::kChannels> BinauralDecoder::speakerGains(double azimuthDegrees)
{
    const double a = azimuthDegrees * kPi / 180.0;
    std::array<double, kChannels> gains{};
    gains[0] = std::sqrt(2.0) / kSpeakers;
    for (int m = 1; m <= kOrder; ++m) {
        const double weight = 2.0 * maxReWeight(m) / kSpeakers;
        gains[static_cast<size_t>(2 * m - 1)] = weight * std::cos(m * a);
        gains[static_cast<size_t>(2 * m)] = weight * std::sin(m * a);
    }
    return gains;
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

long long BinauralDecoder::render(const Source& source, const Sink& sink, ProgressBar& progress)
{
    const int block = convolver->blockSize();
    std::vector<std::vector<float>> in(kChannels, std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> out(kEars, std::vector<float>(static_cast<size_t>(block)));
    std::vector<float*> inPointers, outPointers;
    for (auto& channel : in)
        inPointers.push_back(channel.data());
    for (auto& ear : out)
        outPointers.push_back(ear.data());

    long long done = 0;
    for (;;) {
        // A source may give less than asked before its end: fill the block.
        int filled = 0;
        for (int got = 1; filled < block && got > 0; filled += got) {
            std::vector<float*> at;
            for (float* p : inPointers)
                at.push_back(p + filled);
            got = source(at.data(), block - filled);
        }
        if (filled == 0)
            break;
        for (auto& channel : in)
            std::fill(channel.begin() + filled, channel.end(), 0.0f);
        convolver->process(inPointers.data(), outPointers.data());
        sink(outPointers.data(), filled);
        done += filled;
        progress.update(done);
        if (filled < block)
            break;
    }
    progress.finish();
    return done;
}
